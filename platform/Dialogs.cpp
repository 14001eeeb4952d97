#include "Dialogs.h"

#include "platform/Application.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QUrl>

namespace {

// Shows the default arrow while a box is up and restores the cursor afterwards, also on error.
class DefaultCursor {
public:
    DefaultCursor() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~DefaultCursor() { QApplication::restoreOverrideCursor(); }
    DefaultCursor(const DefaultCursor&) = delete;
    DefaultCursor& operator=(const DefaultCursor&) = delete;
};

class QtDialogs : public TDialogService {
public:
    void ShowMessage(const std::string& text) override {
        QMessageBox box(QMessageBox::NoIcon, ToQt(Application.Title), ToQt(text), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }

    bool ConfirmYesNo(const std::string& text) override {
        DefaultCursor cursor;
        QMessageBox box(QMessageBox::Question, "Confirm", ToQt(text), QMessageBox::NoButton,
                        QApplication::activeWindow());
        QPushButton* yes = box.addButton("&Yes", QMessageBox::YesRole);
        box.addButton("&No", QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes;
    }

    bool AskText(const std::string& caption, const std::string& prompt, std::string& value) override {
        DefaultCursor cursor;
        QInputDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(ToQt(caption));
        dialog.setLabelText(ToQt(prompt));
        dialog.setTextValue(ToQt(value));
        dialog.setOkButtonText("OK");
        dialog.setCancelButtonText("Cancel");
        if (auto* edit = dialog.findChild<QLineEdit*>())
            edit->setMaxLength(255);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        value = FromQt(dialog.textValue().left(255));
        return true;
    }

    void ShowModal(QDialog& window) override { window.exec(); }

    void ShowError(const std::string& caption, const std::string& text) override {
        QMessageBox box(QMessageBox::Critical, ToQt(caption), ToQt(text), QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    }

    bool ExecPrintDialog(QPrinter& printer) override {
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        dialog.setObjectName("PrintDialog1");
        return dialog.exec() == QDialog::Accepted;
    }

    void OpenUrl(const std::string& url) override { QDesktopServices::openUrl(QUrl(ToQt(url))); }

    bool OpenFileName(const std::string& caption, const std::string& filter, std::string& fileName) override {
        const QString chosen =
            QFileDialog::getOpenFileName(QApplication::activeWindow(), ToQt(caption), QString(), ToQt(filter));
        if (chosen.isEmpty())
            return false;
        // The path as the file system spells it, whatever the locale's encoding of names.
        fileName = QFile::encodeName(chosen).toStdString();
        return true;
    }

    bool SaveFileName(const std::string& caption, const std::string& filter, const std::string& defaultName,
                      std::string& fileName) override {
        DefaultCursor cursor;
        QFileDialog dialog(QApplication::activeWindow(), ToQt(caption), QDir::currentPath(), ToQt(filter));
        dialog.setObjectName("SaveDialog1");
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const QString name = ToQt(defaultName);
        if (const auto dot = name.lastIndexOf('.'); dot > 0)
            dialog.setDefaultSuffix(name.mid(dot + 1));
        dialog.selectFile(name);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        QString chosen = dialog.selectedFiles().constFirst();
        const QString relative = QDir::current().relativeFilePath(chosen);
        if (!relative.startsWith("..") && !QDir::isAbsolutePath(relative))
            chosen = relative;
        fileName = QFile::encodeName(chosen).toStdString();
        return true;
    }
};

QtDialogs RealDialogs;
TDialogService* Current = nullptr;

} // namespace

TDialogService& Dialogs() {
    return Current ? *Current : RealDialogs;
}

void SetDialogService(TDialogService* service) {
    Current = service;
}

void ShowMessage(const std::string& text) {
    Dialogs().ShowMessage(text);
}

bool ConfirmYesNo(const std::string& text) {
    return Dialogs().ConfirmYesNo(text);
}

bool AskText(const std::string& caption, const std::string& prompt, std::string& value) {
    return Dialogs().AskText(caption, prompt, value);
}

void ShowModal(QDialog& window) {
    Dialogs().ShowModal(window);
}

bool ExecPrintDialog(QPrinter& printer) {
    return Dialogs().ExecPrintDialog(printer);
}

void OpenUrl(const std::string& url) {
    Dialogs().OpenUrl(url);
}

bool OpenFileName(const std::string& caption, const std::string& filter, std::string& fileName) {
    return Dialogs().OpenFileName(caption, filter, fileName);
}

bool SaveFileName(const std::string& caption, const std::string& filter, const std::string& defaultName,
                  std::string& fileName) {
    return Dialogs().SaveFileName(caption, filter, defaultName, fileName);
}
