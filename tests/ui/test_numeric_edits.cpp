// Typing into the numeric fields and the plain umEdit the way a user does, in a small dialog with a default
// button, so that focus moves, consumed keys and the general error display can be seen.
#include "controls/PosFloatEdit.h"
#include "controls/umEdit.h"
#include "platform/Application.h"
#include "tests/support/ui/ScriptedDialogs.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class NumericEdits : public ::testing::Test {
protected:
    void SetUp() override {
        // Tab order is creation order: Edit1, PriceEdit, TotalEdit (no Tab stop), PostBtn.
        Edit1 = new QLineEdit(&Window);
        PriceEdit = new TPosFloatEdit(&Window);
        PriceEdit->SetDecimalPlaces(2);
        TotalEdit = new TPosFloatEdit(&Window);
        TotalEdit->SetDecimalPlaces(1);
        TotalEdit->SetReadOnly(true);
        PostBtn = new QPushButton("Post | Save", &Window);
        PostBtn->setDefault(true);
        QObject::connect(PostBtn, &QPushButton::clicked, [this] { ++Posts; });
        QObject::connect(&Window, &QDialog::finished, [this] { ++Closes; });
        PriceEdit->move(0, 30);
        TotalEdit->move(0, 60);
        PostBtn->move(0, 90);
        Window.show();
        Window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    }
    void TearDown() override {
        DecimalSeparator = '.';
        ThousandSeparator = ',';
    }
    void Enter(QWidget* w) {
        w->setFocus();
        ASSERT_TRUE(w->hasFocus());
    }
    void TypeAfterEnd(QWidget* w, const char* keys) {
        QTest::keyClick(w, Qt::Key_End);
        QTest::keyClicks(w, keys);
    }

    ScriptedDialogs Dialogs;
    QDialog Window;
    QLineEdit* Edit1 = nullptr;
    TPosFloatEdit* PriceEdit = nullptr;
    TPosFloatEdit* TotalEdit = nullptr;
    QPushButton* PostBtn = nullptr;
    int Posts = 0;
    int Closes = 0;
};

TEST_F(NumericEdits, TypingAcceptsDigitsAndOneSeparatorAndBeepsAtTheRest) {
    Enter(PriceEdit);
    EXPECT_EQ(PriceEdit->selectedText(), "0.00"); // entering selects all, so typing replaces it
    QTest::keyClicks(PriceEdit, "12.5");
    EXPECT_EQ(PriceEdit->text(), "12.5");

    const int beeps = BeepCount();
    QTest::keyClicks(PriceEdit, ".a-");
    EXPECT_EQ(PriceEdit->text(), "12.5");
    EXPECT_EQ(BeepCount(), beeps + 3);

    // A selection holding the separator is deleted first, so the new one is accepted.
    PriceEdit->setSelection(2, 2);
    QTest::keyClick(PriceEdit, '.');
    EXPECT_EQ(PriceEdit->text(), "12.");
    EXPECT_EQ(BeepCount(), beeps + 3);

    // Leaving reads the unfinished text as a number and shows it with its decimals.
    QTest::keyClick(PriceEdit, Qt::Key_Tab);
    EXPECT_EQ(PriceEdit->text(), "12.00");
    EXPECT_DOUBLE_EQ(PriceEdit->AsFloat(), 12.0);
}

TEST_F(NumericEdits, EnterAndArrowsMoveTheFocusWithoutPostingAndEscUndoesWithoutClosing) {
    Enter(PriceEdit);
    QTest::keyClicks(PriceEdit, "7.5");
    QTest::keyClick(PriceEdit, Qt::Key_Return);
    EXPECT_TRUE(PostBtn->hasFocus()); // the read-only TotalEdit is no stop
    EXPECT_EQ(Posts, 0);
    EXPECT_EQ(PriceEdit->Text(), "7.50");

    Enter(PriceEdit);
    QTest::keyClick(PriceEdit, Qt::Key_Up);
    EXPECT_TRUE(Edit1->hasFocus());
    Enter(PriceEdit);
    QTest::keyClick(PriceEdit, Qt::Key_Down);
    EXPECT_TRUE(PostBtn->hasFocus());

    Enter(PriceEdit);
    QTest::keyClicks(PriceEdit, "99");
    QTest::keyClick(PriceEdit, Qt::Key_Escape);
    EXPECT_EQ(PriceEdit->text(), "7.50");
    EXPECT_TRUE(Window.isVisible());
    EXPECT_EQ(Closes, 0);
    EXPECT_EQ(Posts, 0);
}

TEST_F(NumericEdits, PlusTogglesTheSignDisplay) {
    PriceEdit->SetAsFloat(12.5);
    Enter(PriceEdit);
    TypeAfterEnd(PriceEdit, "+");
    EXPECT_EQ(PriceEdit->Text(), "+12.50");
    EXPECT_DOUBLE_EQ(PriceEdit->AsFloat(), 12.5);
    TypeAfterEnd(PriceEdit, "+");
    EXPECT_EQ(PriceEdit->Text(), "12.50");

    // A negative value set by the program is made positive by the key.
    PriceEdit->SetAsFloat(-3);
    TypeAfterEnd(PriceEdit, "+");
    EXPECT_EQ(PriceEdit->Text(), "+3.00");
    EXPECT_DOUBLE_EQ(PriceEdit->AsFloat(), 3.0);
}

TEST_F(NumericEdits, CtrlNEmptiesTheFieldUntilTheUserTypesAgain) {
    // The field's Ctrl+N wins over a window shortcut on the same keys.
    int newProduct = 0;
    QAction action(&Window);
    action.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    Window.addAction(&action);
    QObject::connect(&action, &QAction::triggered, [&] { ++newProduct; });

    PriceEdit->SetAsFloat(4.25);
    Enter(PriceEdit);
    QTest::keyClick(PriceEdit, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(newProduct, 0);
    EXPECT_TRUE(PriceEdit->Null());
    EXPECT_EQ(PriceEdit->Text(), "");

    // Leaving keeps it empty, so the dialog reads an empty price.
    QTest::keyClick(PriceEdit, Qt::Key_Tab);
    EXPECT_EQ(PriceEdit->Text(), "");

    Enter(PriceEdit);
    QTest::keyClicks(PriceEdit, "5");
    EXPECT_FALSE(PriceEdit->Null());
    EXPECT_EQ(PriceEdit->Text(), "5");

    // Pasting ends the null state as well; setting a value does too.
    PriceEdit->SetNull(true);
    PriceEdit->insert("8");
    EXPECT_EQ(PriceEdit->Text(), "8");
    PriceEdit->SetNull(true);
    PriceEdit->SetAsFloat(0);
    EXPECT_EQ(PriceEdit->Text(), "0.00");
}

TEST_F(NumericEdits, LeavingReadsTheLocaleSeparators) {
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    Enter(PriceEdit);
    QTest::keyClicks(PriceEdit, "12,5");
    const int beeps = BeepCount();
    QTest::keyClick(PriceEdit, ',');
    EXPECT_EQ(BeepCount(), beeps + 1);
    QTest::keyClick(PriceEdit, Qt::Key_Tab);
    EXPECT_EQ(PriceEdit->Text(), "12,50");
    EXPECT_DOUBLE_EQ(PriceEdit->AsFloat(), 12.5);

    // A typed "." is the decimal separator too, never a grouping mark: 12.5 is not 125.
    Enter(PriceEdit);
    QTest::keyClicks(PriceEdit, "12.5");
    EXPECT_EQ(PriceEdit->text(), "12,5");
    QTest::keyClick(PriceEdit, '.');
    EXPECT_EQ(BeepCount(), beeps + 2);
    PriceEdit->setSelection(2, 2); // a selection holding the separator is replaced, as by the separator
    QTest::keyClick(PriceEdit, '.');
    EXPECT_EQ(PriceEdit->text(), "12,");
    QTest::keyClick(PriceEdit, Qt::Key_Tab);
    EXPECT_EQ(PriceEdit->Text(), "12,00");

    // And under a "." locale a typed comma is its separator.
    DecimalSeparator = '.';
    ThousandSeparator = ',';
    Enter(PriceEdit);
    QTest::keyClicks(PriceEdit, "12,5");
    EXPECT_EQ(PriceEdit->text(), "12.5");
    QTest::keyClick(PriceEdit, Qt::Key_Tab);
    EXPECT_DOUBLE_EQ(PriceEdit->AsFloat(), 12.5);
    EXPECT_TRUE(Dialogs.Errors.empty());
}

TEST_F(NumericEdits, NoDigitPastTheDecimalPlacesCanBeTyped) {
    Enter(PriceEdit);
    QTest::keyClicks(PriceEdit, "0.005");
    EXPECT_EQ(PriceEdit->text(), "0.00");
    const int beeps = BeepCount();
    QTest::keyClick(PriceEdit, '7');
    EXPECT_EQ(BeepCount(), beeps + 1);

    // A digit that replaces a selected decimal fits, and digits before the separator always do.
    PriceEdit->setSelection(3, 1);
    QTest::keyClick(PriceEdit, '7');
    EXPECT_EQ(PriceEdit->text(), "0.07");
    QTest::keyClick(PriceEdit, Qt::Key_Home);
    QTest::keyClicks(PriceEdit, "12");
    EXPECT_EQ(PriceEdit->text(), "120.07");

    // A separator that would leave three decimals is refused as well.
    PriceEdit->selectAll();
    QTest::keyClicks(PriceEdit, "1234");
    QTest::keyClick(PriceEdit, Qt::Key_Home);
    QTest::keyClick(PriceEdit, Qt::Key_Right);
    QTest::keyClick(PriceEdit, '.');
    EXPECT_EQ(PriceEdit->text(), "1234");
    EXPECT_EQ(BeepCount(), beeps + 2);
}

TEST_F(NumericEdits, APastedNonNumberReachesTheErrorDisplayAndStays) {
    Enter(PriceEdit);
    PriceEdit->insert("abc"); // replaces the selection, as a paste does
    QTest::keyClick(PriceEdit, Qt::Key_Tab);
    ASSERT_EQ(Dialogs.Errors.size(), 1u);
    EXPECT_EQ(Dialogs.Errors[0], "'abc' is not a valid floating point value.");
    EXPECT_EQ(PriceEdit->Text(), "abc");
    EXPECT_TRUE(PostBtn->hasFocus());

    // "+" on such a text reports it too instead of letting the error escape the key handling.
    Enter(PriceEdit);
    TypeAfterEnd(PriceEdit, "+");
    EXPECT_EQ(Dialogs.Errors, std::vector<std::string>(2, "'abc' is not a valid floating point value."));
    EXPECT_EQ(PriceEdit->Text(), "abc");
}

TEST_F(NumericEdits, AReadOnlyTotalRefusesKeysAndIsNoTabStop) {
    TotalEdit->SetAsFloat(42.25);
    EXPECT_EQ(TotalEdit->Text(), "42.3");
    EXPECT_EQ(TotalEdit->palette().color(QPalette::Base), TotalEdit->ColorRO());
    EXPECT_EQ(TotalEdit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    Enter(TotalEdit); // a click may still reach it
    const int beeps = BeepCount();
    QTest::keyClicks(TotalEdit, "5+");
    QTest::keyClick(TotalEdit, Qt::Key_Delete);
    QTest::keyClick(TotalEdit, Qt::Key_Backspace);
    QTest::keyClick(TotalEdit, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(TotalEdit->Text(), "42.3");
    EXPECT_EQ(BeepCount(), beeps + 2);

    Enter(PriceEdit);
    QTest::keyClick(PriceEdit, Qt::Key_Tab);
    EXPECT_TRUE(PostBtn->hasFocus());

    TotalEdit->SetReadOnly(false);
    EXPECT_EQ(TotalEdit->palette().color(QPalette::Base), TotalEdit->ColorRW());
    Enter(PriceEdit);
    QTest::keyClick(PriceEdit, Qt::Key_Tab);
    EXPECT_TRUE(TotalEdit->hasFocus());
}

TEST_F(NumericEdits, ValuesSetByTheProgramAreHeldAsShown) {
    TotalEdit->SetText("    12.5");
    EXPECT_EQ(TotalEdit->Text(), "12.5");
    EXPECT_DOUBLE_EQ(TotalEdit->AsFloat(), 12.5);
    TotalEdit->SetText("");
    EXPECT_EQ(TotalEdit->Text(), "0.0");
    TotalEdit->SetAsFloat(12.345);
    EXPECT_EQ(TotalEdit->Text(), "12.3");
    EXPECT_DOUBLE_EQ(TotalEdit->AsFloat(), 12.3);

    EXPECT_THROW(TotalEdit->SetText("abc"), EConvertError);
    EXPECT_EQ(TotalEdit->Text(), "abc");

    // The field shows value / Scale; a scale of almost zero shows 0.
    PriceEdit->SetScale(1000);
    PriceEdit->SetAsFloat(2500);
    EXPECT_EQ(PriceEdit->Text(), "2.50");
    PriceEdit->SetText("1.25");
    EXPECT_DOUBLE_EQ(PriceEdit->AsFloat(), 1250);
    PriceEdit->SetScale(0);
    EXPECT_EQ(PriceEdit->Text(), "0.00");
}

TEST_F(NumericEdits, UmEditTakesAnyTextAndIsLeftAlignedOnlyWhileEdited) {
    auto* umEdit = new TumEdit(&Window);
    umEdit->SetAlignment(Qt::AlignRight);
    umEdit->setText("100.0");
    umEdit->show();
    const auto horizontal = [&] { return umEdit->alignment() & Qt::AlignHorizontal_Mask; };
    EXPECT_EQ(horizontal(), Qt::AlignRight);

    Enter(umEdit);
    EXPECT_EQ(horizontal(), Qt::AlignLeft);
    const int beeps = BeepCount();
    QTest::keyClick(umEdit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(umEdit, "abc");
    EXPECT_EQ(umEdit->text(), "abc");
    EXPECT_EQ(BeepCount(), beeps);

    Enter(PriceEdit);
    EXPECT_FALSE(umEdit->Focused());
    EXPECT_EQ(horizontal(), Qt::AlignRight);
}

} // namespace
