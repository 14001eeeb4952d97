// The production-notes window: the free-text notes (safety data, remarks) of the product on display.
#pragma once

#include "forms/DialogLayout.h"

#include <string>

class QPlainTextEdit;
class QStatusBar;
class TResultRow;

// Whose notes the production-notes window shows. Filled by the main window (ProductionnotesClick) for each
// showing; the window reads the notes themselves when it is shown.
struct TNotesRequest {
    // The product on display in the main window; empty when none is.
    std::string Product;
};

class TForm2 : public TDialog {
    Q_OBJECT
public:
    TForm2();
    QPlainTextEdit* Memo;
    // Says when the notes are shown read-only, and why.
    QStatusBar* StatusBar1;

    // Shows the window modally for request.
    void Execute(TNotesRequest request);

    void FormCreate() {}
    // Reads the notes of the product on display into the memo.
    void FormShow();
    // Stores the notes when the user changed them, provided the stored ones are still those the window read.
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TNotesRequest FRequest;
};

extern TForm2* Form2;
// The notes last read, kept between showings.
extern std::string NotesText;

// Takes the product's key and its notes, byte for byte, from a result row.
void NotesRowLoader(const TResultRow& row);
