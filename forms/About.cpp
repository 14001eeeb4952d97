#include "About.h"

#include "BuildConfig.h"
#include "controls/URLLink.h"
#include "database/Database.h"
#include "forms/Backups.h"
#include "platform/Images.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <string>

TForm3* Form3 = nullptr;

namespace {

const char* const MailAddress = "info@example.org";
const char* const FileBackupsText = "Products.db3 is backed up automatically.";
const char* const ServerBackupsText = "Backups are made on the server.";

void SetColors(QWidget& widget, QPalette::ColorRole role, const QColor& color) {
    QPalette p = widget.palette();
    p.setColor(role, color);
    widget.setPalette(p);
}

// "MS Sans Serif", or where Linux lacks it a font of its width, so the texts fit the small box.
QFont PixelFont(int pixels) {
    QFont font;
    font.setFamilies({"MS Sans Serif", "Liberation Sans", "Arial"});
    font.setPixelSize(pixels);
    return font;
}

QLabel* MakeAboutLabel(QWidget* parent, const char* name, const char* caption, QPoint at, const QColor& color,
                       int pixels) {
    QLabel* label = MakeDialogLabel(parent, name, caption, at);
    label->setFont(PixelFont(pixels));
    SetColors(*label, QPalette::WindowText, color);
    label->adjustSize();
    return label;
}

QLabel* MakeImage(QWidget* parent, const char* name, QRect geometry, const QString& resource, QSize size,
                  const char* description) {
    auto* image = new QLabel(parent);
    image->setObjectName(name);
    image->setGeometry(geometry);
    image->setPixmap(SvgPixmap(resource, size));
    image->setAccessibleName(description);
    return image;
}

// Where the data is and who backs it up, read again each time the box opens: a server's version is known once it
// is connected. A long path is shortened in its middle to the line's width, and shown whole in the tooltip.
class TShowLocation : public QObject {
public:
    TShowLocation(QLabel& label, QLabel& backups) : QObject(&label), FLabel(label), FBackups(backups) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            const QString where = ToQt(DatabaseLocation());
            const QString shown = QFontMetrics(FLabel.font()).elidedText(where, Qt::ElideMiddle, FLabel.width());
            FLabel.setText(shown);
            FLabel.setAccessibleName(shown);
            FLabel.setToolTip(where);
            FBackups.setText(BackupsOnServer() ? ServerBackupsText : FileBackupsText);
            FBackups.setAccessibleName(FBackups.text());
            FBackups.adjustSize();
        }
        return false;
    }

private:
    QLabel& FLabel;
    QLabel& FBackups;
};

} // namespace

TForm3::TForm3() {
    SetupDialog(*this, "Form3", "Info", {217, 118, 322, 313});
    setAutoFillBackground(true);
    SetColors(*this, QPalette::Window, Qt::black);
    SetColors(*this, QPalette::WindowText, QColor(0, 255, 0));

    Image2 = MakeImage(this, "Image2", {0, 0, 73, 273}, ":/strip.svg", {75, 271}, "Decorative picture");
    Image1 = MakeImage(this, "Image1", {32, 56, 41, 41}, ":/brivane.svg", {41, 41}, "Brivane icon");
    Label1 = MakeAboutLabel(this, "Label1", "Recipe Management", {80, 24}, Qt::red, 24);
    Label2 = MakeAboutLabel(this, "Label2", "SQL-driven application for the", {96, 72}, Qt::yellow, 13);
    Label3 = MakeAboutLabel(this, "Label3", "maintenance of industrial recipes", {96, 96}, Qt::yellow, 13);
    const std::string version = std::string("Version ") + ProgramVersion;
    Label4 = MakeAboutLabel(this, "Label4", version.c_str(), {96, 120}, Qt::yellow, 13);
    QLabel* location = MakeAboutLabel(this, "DatabaseLabel", "", {96, 136}, Qt::yellow, 11);
    location->setGeometry(96, 136, 216, 14);

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(88, 152, 217, 9);
    Panel1->setAccessibleName("Separator");
    Panel1->setAutoFillBackground(true);
    SetColors(*Panel1, QPalette::Window, QApplication::palette().color(QPalette::Button));
    SetColors(*Panel1, QPalette::Light, Qt::white);

    Label5 = MakeAboutLabel(this, "Label5", FileBackupsText, {96, 176}, Qt::yellow, 11);
    installEventFilter(new TShowLocation(*location, *Label5));
    Label6 = MakeAboutLabel(this, "Label6", "Mailto:", {96, 200}, Qt::white, 13);

    URLLink = new TURLLink(this);
    URLLink->setObjectName("URLLink");
    URLLink->setGeometry(144, 200, 128, 16);
    URLLink->setText(QString(" %1 ").arg(MailAddress));
    URLLink->setAutoFillBackground(true);
    SetColors(*URLLink, QPalette::Window, QColor(192, 192, 192));
    URLLink->SetLook({PixelFont(13), Qt::blue});
    URLLink->SetFocusFont({PixelFont(11), QApplication::palette().color(QPalette::WindowText)});
    URLLink->SetLink(std::string("mailto:") + MailAddress);
    URLLink->setToolTip("Click to mail");

    Button1 = MakeDialogButton(this, "Button1", "&OK", {224, 240, 75, 25});
    QFont underlined = Button1->font();
    underlined.setUnderline(true);
    Button1->setFont(underlined);
    SetColors(*Button1, QPalette::ButtonText, QColor(0, 255, 0));
    SetColors(*Button1, QPalette::Button, Qt::black);
    ConnectButton(Button1, [this] { Button1Click(); });
}

void TForm3::Button1Click() {
    close();
}
