#include "Production.h"

#include "controls/StdCtrls.h"
#include "database/Database.h"
#include "database/Notes.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/Notes.h"

#include <QHideEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QStatusBar>

#include <optional>

TForm2* Form2 = nullptr;
std::string NotesText;

namespace {

// The product whose notes the memo holds, as named when they were read.
std::string NotesProduct;

// The stored notes as the window read them: a save writes only where the product's row still holds them.
// An empty ProdId: no product read, nothing to store.
struct TStoredNotes : TNotesRow {
    TNotesForm Form;
};
TStoredNotes Stored;

// Notes typed but not stored, shown again at their product's next showing, so nothing typed is lost. After the
// user chose to keep the notes another program wrote, Base is what the window had read: the next save then asks
// again instead of overwriting them unseen.
struct TUnsavedNotes {
    std::string Product;
    QString Text;
    std::optional<TStoredNotes> Base;
};
std::optional<TUnsavedNotes> Unsaved;

const char* const Unkeepable = "These notes hold characters this window cannot keep exactly; they are shown read-only.";
const char* const TooLong = "These notes hold a line longer than 64 KB; they are shown read-only, without wrapping.";

// The memo refuses with a beep what the notes could not hold: a NUL, a character their encoding lacks, and a
// pasted line too long to wrap at once.
class TNotesMemo : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!isReadOnly() && !event->text().isEmpty() && !Holds(event->text())) {
            MessageBeep();
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
    void insertFromMimeData(const QMimeData* source) override {
        if (source->hasText() && !Holds(source->text())) {
            MessageBeep();
            return;
        }
        QPlainTextEdit::insertFromMimeData(source);
    }
    void inputMethodEvent(QInputMethodEvent* event) override {
        if (!event->commitString().isEmpty() && !Holds(event->commitString())) {
            MessageBeep();
            event->setCommitString({});
        }
        QPlainTextEdit::inputMethodEvent(event);
    }

private:
    static bool Holds(const QString& text) {
        if (text.contains(QChar(0)))
            return false;
        if (Stored.Form.Encoding == TNotesEncoding::Windows1252 && !ToWindows1252(text))
            return false;
        std::size_t line = 0;
        for (const QChar c : text) {
            if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator)
                line = 0;
            else if (++line > LongestEditableLine)
                return false;
        }
        return true;
    }
};

// The memo's lines joined by LF, every character as typed: the raw text keeps no-break spaces and U+2028 as they
// are, and U+2029 only stands between the memo's lines.
QString MemoText(const QPlainTextEdit& memo) {
    QString text = memo.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

// The memo's text as the notes would store it, or nothing when a character has no byte in their encoding.
std::optional<std::string> MemoNotes(const QPlainTextEdit& memo) {
    const QString text = MemoText(memo);
    const std::optional<std::string> encoded =
        Stored.Form.Encoding == TNotesEncoding::Utf8 ? FromQt(text) : ToWindows1252(text);
    if (!encoded)
        return std::nullopt;
    return NotesBytes(*encoded, Stored.Form);
}

} // namespace

void NotesRowLoader(const TResultRow& row) {
    Stored.ProdId = row.Text(0);
    Stored.Null = row.IsNull(1);
    NotesText = row.Text(1);
}

TForm2::TForm2() {
    SetupDialog(*this, "Form2", "Production notes, safety data and miscellaneous remarks.", {440, 124, 573, 459});
    // The window may be sized; the memo follows it.
    setMinimumSize(200, 150);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    Memo = new TNotesMemo(this);
    Memo->setObjectName("Memo");
    Memo->setGeometry(16, 8, 537, 369);
    Memo->setPlainText("Memo");
    Memo->setAccessibleName("Production notes");
    StatusBar1 = MakeDialogStatusBar(this);
}

void TForm2::resizeEvent(QResizeEvent* event) {
    TDialog::resizeEvent(event);
    Memo->setGeometry(16, 8, std::max(0, width() - 28), std::max(0, height() - 63));
    StatusBar1->setGeometry(0, height() - StatusBar1->height(), width(), StatusBar1->height());
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

void TForm2::Execute(TNotesRequest request) {
    FRequest = std::move(request);
    ShowModal(*this);
}

void TForm2::FormShow() {
    NotesProduct = FRequest.Product;
    // A product without notes shows an empty memo, never the notes shown before.
    NotesText.clear();
    Stored = {};
    bool read = false;
    if (!NotesProduct.empty())
        WithDatabase([&read] {
            LoadNotes(Database, NotesProduct, NotesRowLoader);
            read = true;
        });
    Stored.Bytes = NotesText;
    Stored.Form = NotesForm(NotesText);
    Memo->setLineWrapMode(Stored.Form.Problem == TNotesProblem::LongLine ? QPlainTextEdit::NoWrap
                                                                         : QPlainTextEdit::WidgetWidth);
    Memo->setPlainText(ToQt(ShownNotes(NotesText, Stored.Form)));
    // Whatever else the memo would not give back as it was read (a paragraph separator, say) is caught here.
    if (Stored.Form.Problem == TNotesProblem::None && MemoNotes(*Memo) != NotesText)
        Stored.Form.Problem = TNotesProblem::Unkeepable;

    QString status = "Changes are stored when the window is closed.";
    if (NotesProduct.empty())
        status = "No product is on display: there are no notes to show.";
    else if (!read)
        status = "The notes could not be read.";
    else if (Stored.ProdId.empty())
        status = ToQt(NotesProduct) + " is no longer in the database.";
    else if (Unsaved && Unsaved->Product == NotesProduct) {
        if (Unsaved->Base && Unsaved->Base->ProdId == Stored.ProdId)
            Stored = *Unsaved->Base;
        Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        Memo->setPlainText(Unsaved->Text);
        Stored.Form.Problem = TNotesProblem::None;
        status = "Your notes that were not stored are shown; they are stored when the window is closed.";
    } else if (Stored.Form.Problem == TNotesProblem::Unkeepable)
        status = Unkeepable;
    else if (Stored.Form.Problem == TNotesProblem::LongLine)
        status = TooLong;
    // Without a product, or when its notes could not be read or kept, nothing typed could be stored safely.
    const bool editable = !Stored.ProdId.empty() && Stored.Form.Problem == TNotesProblem::None;
    if (!editable)
        Stored.ProdId.clear();
    Memo->setReadOnly(!editable);
    StatusBar1->showMessage(status);
}

void TForm2::FormClose() {
    if (Stored.ProdId.empty() || Memo->isReadOnly())
        return;
    const QString text = MemoText(*Memo);
    const std::optional<std::string> notes = MemoNotes(*Memo);
    const auto forget = [] {
        if (Unsaved && Unsaved->Product == NotesProduct)
            Unsaved.reset();
    };
    // Typed back to what was read: nothing is left to store.
    if (notes && *notes == Stored.Bytes)
        return forget();
    const auto keep = [&text](std::optional<TStoredNotes> base) {
        Unsaved = TUnsavedNotes{NotesProduct, text, std::move(base)};
    };
    if (!notes) {
        keep(Stored);
        ShowMessage("The notes of " + NotesProduct + " were not saved: they hold characters these notes cannot store.");
        return;
    }
    // None: the notes could not be stored.
    std::optional<TNotesSaved> outcome;
    TWriteBackup backup = BeforeUserWrite();
    WithDatabase([&] { outcome = SaveNotes(Database, Stored, *notes); });
    if (outcome == TNotesSaved::Changed &&
        ConfirmYesNo("The notes of " + NotesProduct +
                     " were changed by another program since you opened them. Replace them with yours?")) {
        outcome.reset();
        WithDatabase([&] { outcome = ReplaceNotes(Database, Stored.ProdId, *notes); });
    }
    if (!outcome) {
        backup.Discard();
        keep(Stored);
        ShowMessage("The notes of " + NotesProduct +
                    " were not saved. They are kept: open the production notes of this product again and close "
                    "the window to save them.");
        return;
    }
    switch (*outcome) {
    case TNotesSaved::Saved:
        NotesText = *notes;
        Stored.Bytes = *notes;
        Stored.Null = false;
        return forget();
    case TNotesSaved::Changed:
        keep(Stored);
        return;
    case TNotesSaved::Gone:
        keep(std::nullopt);
        ShowMessage("The notes of " + NotesProduct + " were not saved: the product is no longer in the database.");
        return;
    }
}
