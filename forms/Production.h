// The production-notes window: the free-text notes (safety data, remarks) of the product on display.
#pragma once

#include "forms/DialogLayout.h"

#include <string>

class QPlainTextEdit;

class TForm2 : public TDialog {
    Q_OBJECT
public:
    TForm2();
    QPlainTextEdit* Memo;

    void FormCreate() {}
    // Reads the notes of the product on display into the memo.
    void FormShow();
    // Stores the notes when the user changed them.
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

extern TForm2* Form2;
// The notes last read, kept between showings.
extern std::string NotesText;

int NotesRowLoader(void* data, int columns, char** values, char** names);
