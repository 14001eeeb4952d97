#include "Production.h"

#include "controls/StdCtrls.h"
#include "database/Database.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "forms/MAIN.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QHideEvent>
#include <QPlainTextEdit>
#include <QShowEvent>

#include <sqlite3.h>

#include <cstdlib>

TForm2* Form2 = nullptr;
std::string NotesText;

namespace {

// The statement text of this window.
std::string NotesQueryText;
// The product whose notes the memo holds (empty: none, nothing to store), the memo's text as it was
// filled, and how the stored notes break their lines, so that a changed text is stored the same way.
std::string NotesProduct;
QString ShownText;
std::string LineBreak = "\r\n";
bool TrailingBreak = false;
// Notes that could not be stored, shown again at their product's next showing, so nothing typed is lost.
std::string UnsavedProduct;
QString UnsavedText;

// The lines of a text broken by CR LF, LF or CR alone; a break at the very end starts no further line.
QStringList SplitLines(const std::string& text) {
    QStringList lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            line += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        lines << ToQt(line);
        line.clear();
    }
    if (!line.empty())
        lines << ToQt(line);
    return lines;
}

} // namespace

namespace {
int ChangesLoader(void* data, int columns, char** values, char**) {
    if (columns > 0 && values[0])
        *static_cast<int*>(data) = std::atoi(values[0]);
    return 0;
}
} // namespace

int NotesRowLoader(void*, int, char** values, char**) {
    NotesText = ColumnText(values, 0);
    return 0;
}

TForm2::TForm2() {
    SetupDialog(*this, "Form2", "Production notes, safety data and miscellaneous remarks.", {440, 124, 573, 459});
    // The window may be sized; the memo follows it.
    setMinimumSize(200, 150);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    Memo->setGeometry(16, 8, 537, 369);
    Memo->setPlainText("Memo");
    Memo->setAccessibleName("Production notes");
}

void TForm2::resizeEvent(QResizeEvent* event) {
    TDialog::resizeEvent(event);
    Memo->setGeometry(16, 8, std::max(0, width() - 28), std::max(0, height() - 63));
}

void TForm2::showEvent(QShowEvent* event) {
    TDialog::showEvent(event);
    // A window brought back from the task bar keeps what the user typed.
    if (!event->spontaneous())
        Guarded([this] { FormShow(); });
}

void TForm2::hideEvent(QHideEvent* event) {
    TDialog::hideEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormClose(); });
}

void TForm2::FormShow() {
    NotesProduct = Form1 ? Form1->Edit1->Text() : std::string();
    // A product without notes shows an empty memo, never the notes shown before.
    NotesText.clear();
    bool read = false;
    if (!NotesProduct.empty())
        WithDatabase([&read] {
            NotesQueryText =
                "SELECT Solids from Products where Product = '" + StringManager.QuoteSql(NotesProduct) + "';";
            CheckResult(sqlite3_exec(Database, NotesQueryText.c_str(), NotesRowLoader, nullptr, nullptr), Database);
            read = true;
        });
    const bool crlf = NotesText.find("\r\n") != std::string::npos;
    LineBreak = crlf || NotesText.find('\n') == std::string::npos ? "\r\n" : "\n";
    TrailingBreak = !NotesText.empty() && (NotesText.back() == '\n' || NotesText.back() == '\r');
    Memo->setPlainText(SplitLines(NotesText).join('\n'));
    ShownText = Memo->toPlainText();
    if (!NotesProduct.empty() && NotesProduct == UnsavedProduct)
        Memo->setPlainText(UnsavedText);
    // Without a product, or when its notes could not be read, nothing typed could be stored safely.
    Memo->setReadOnly(!read);
}

void TForm2::FormClose() {
    const QString text = Memo->toPlainText();
    if (NotesProduct.empty() || Memo->isReadOnly() || text == ShownText)
        return;
    std::string notes = StringManager.ReplaceText(FromQt(text), "\n", LineBreak);
    if (TrailingBreak && !notes.empty())
        notes += LineBreak;
    bool stored = false;
    bool gone = false;
    BeforeUserWrite();
    WithDatabase([&] {
        ExecStatements(Database, "Update Products Set Solids = '" + StringManager.QuoteSql(notes) +
                                     "' where Product = '" + StringManager.QuoteSql(NotesProduct) + "';");
        // A product renamed or deleted meanwhile takes no notes: the update then changed no row.
        int changed = 0;
        CheckResult(sqlite3_exec(Database, "SELECT changes();", ChangesLoader, &changed, nullptr), Database);
        stored = changed > 0;
        gone = !stored;
    });
    if (stored) {
        NotesText = notes;
        ShownText = text;
        if (UnsavedProduct == NotesProduct)
            UnsavedProduct.clear();
        return;
    }
    UnsavedProduct = NotesProduct;
    UnsavedText = text;
    if (gone)
        ShowMessage("The notes of " + NotesProduct + " were not saved: the product is no longer in the database.");
    else
        ShowMessage("The notes of " + NotesProduct +
                    " were not saved. They are kept: open the production notes of this product again and close "
                    "the window to save them.");
}
