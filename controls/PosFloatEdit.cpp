#include "controls/PosFloatEdit.h"

#include "platform/Application.h"
#include "platform/QtText.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace {

Qt::KeyboardModifiers PlainModifiers(const QKeyEvent& e) {
    return e.modifiers() & ~Qt::KeypadModifier;
}

// A key that types a character rather than giving a command (Ctrl combinations are commands).
bool TypesCharacter(const QKeyEvent& e) {
    const QString text = e.text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return false;
    const auto mods = PlainModifiers(e);
    return mods != Qt::ControlModifier && mods != (Qt::ControlModifier | Qt::ShiftModifier);
}

// A focus change that is not the user leaving or entering the field: a context menu opening, or the
// window losing or regaining activation (the error display's own box does that too).
bool IsPassingFocusChange(Qt::FocusReason reason) {
    return reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// TCustomStateEdit

TCustomStateEdit::TCustomStateEdit(QWidget* parent) : QLineEdit(parent) {
    const QPalette system = QGuiApplication::palette();
    FColorRW = system.color(QPalette::Active, QPalette::Base);
    FColorFocus = FColorRW;
    FColorDisabled = system.color(QPalette::Active, QPalette::Button);
    FColorRO = FColorDisabled;
    setFocusPolicy(Qt::StrongFocus);
    // Whatever the user changes (typing, pasting, undo) is a value again, no longer the null state.
    connect(this, &QLineEdit::textEdited, this, [this] { FNull = false; });
    UpdateColor();
}

std::string TCustomStateEdit::Text() const {
    return FNull ? std::string() : FromQt(text());
}

void TCustomStateEdit::SetText(const std::string& text) {
    if (text == FromQt(this->text()))
        return;
    if (FNull && text != FNullStr)
        FNull = false;
    ShowText(text);
}

void TCustomStateEdit::SetReadOnly(bool value) {
    setReadOnly(value);
    // Out of the Tab order while read-only, but a click still reaches it (to select and copy).
    setFocusPolicy(value ? Qt::ClickFocus : Qt::StrongFocus);
    UpdateColor();
}

void TCustomStateEdit::SetNull(bool value) {
    if (value == FNull)
        return;
    FNull = value;
    UpdateText();
}

void TCustomStateEdit::SetNullStr(const std::string& value) {
    FNullStr = value;
    if (FNull)
        ShowText(FNullStr);
}

void TCustomStateEdit::SetColorRO(const QColor& color) {
    FColorRO = color;
    UpdateColor();
}

void TCustomStateEdit::SetColorRW(const QColor& color) {
    FColorRW = color;
    UpdateColor();
}

void TCustomStateEdit::SetColorDisabled(const QColor& color) {
    FColorDisabled = color;
    UpdateColor();
}

void TCustomStateEdit::SetColorFocus(const QColor& color) {
    FColorFocus = color;
    UpdateColor();
}

void TCustomStateEdit::UpdateText() {
    if (FNull)
        ShowText(FNullStr);
}

bool TCustomStateEdit::KeyPress(QChar) {
    if (isReadOnly()) {
        MessageBeep();
        return false;
    }
    return true;
}

void TCustomStateEdit::ShowText(const std::string& text) {
    QLineEdit::setText(ToQt(text));
}

void TCustomStateEdit::UpdateColor() {
    const QColor color = !isEnabled() ? FColorDisabled : isReadOnly() ? FColorRO : hasFocus() ? FColorFocus : FColorRW;
    QPalette pal = palette();
    if (pal.color(QPalette::Active, QPalette::Base) == color && pal.color(QPalette::Disabled, QPalette::Base) == color)
        return;
    pal.setColor(QPalette::Base, color);
    setPalette(pal);
}

bool TCustomStateEdit::HandlesShortcut(const QKeyEvent& e) const {
    const auto mods = PlainModifiers(e);
    switch (e.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        return mods == Qt::NoModifier;
    case Qt::Key_N:
        return mods == Qt::ControlModifier && FAllowKbdNull && !isReadOnly();
    default:
        return false;
    }
}

bool TCustomStateEdit::event(QEvent* e) {
    // The field's own keys win over the window's shortcuts and default buttons.
    if (e->type() == QEvent::ShortcutOverride && HandlesShortcut(*static_cast<QKeyEvent*>(e))) {
        e->accept();
        return true;
    }
    return QLineEdit::event(e);
}

void TCustomStateEdit::keyPressEvent(QKeyEvent* e) {
    try {
        const auto mods = PlainModifiers(*e);
        e->accept();
        switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Consumed: Enter moves on and never posts the dialog through its default button.
            focusNextPrevChild(true);
            return;
        case Qt::Key_Escape:
            // Consumed: Esc takes back the last change and never closes the dialog.
            if (!isReadOnly())
                undo();
            return;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (mods == Qt::NoModifier) {
                focusNextPrevChild(e->key() == Qt::Key_Down);
                return;
            }
            break;
        case Qt::Key_N:
            if (mods == Qt::ControlModifier && FAllowKbdNull && !isReadOnly()) {
                SetNull(true);
                return;
            }
            break;
        default:
            break;
        }
        if (e->matches(QKeySequence::SelectAll)) {
            selectAll();
            return;
        }
        if (isReadOnly() &&
            (e->key() == Qt::Key_Delete || e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Paste) ||
             (e->key() == Qt::Key_Insert && mods == Qt::ShiftModifier)))
            return;
        if (TypesCharacter(*e)) {
            TypeText(e);
            return;
        }
        QLineEdit::keyPressEvent(e);
    } catch (const std::exception& ex) {
        e->accept();
        Application.ShowException(ex);
    }
}

void TCustomStateEdit::TypeText(QKeyEvent* e) {
    const QString text = e->text();
    if (text.size() == 1) {
        if (KeyPress(text.at(0)))
            QLineEdit::keyPressEvent(e);
        return;
    }
    for (const QChar c : text) {
        if (KeyPress(c))
            insert(QString(c));
    }
}

void TCustomStateEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    // A click places the caret; every other way in selects the whole text, ready to be typed over.
    if (e->reason() != Qt::MouseFocusReason && e->reason() != Qt::PopupFocusReason)
        selectAll();
    UpdateColor();
}

void TCustomStateEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    UpdateColor();
}

void TCustomStateEdit::changeEvent(QEvent* e) {
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::EnabledChange)
        UpdateColor();
}

// ---------------------------------------------------------------------------------------------------------------
// TBaseConvertEdit

TBaseConvertEdit::TBaseConvertEdit(QWidget* parent) : TCustomStateEdit(parent) {}

void TBaseConvertEdit::focusInEvent(QFocusEvent* e) {
    TCustomStateEdit::focusInEvent(e);
    if (!IsPassingFocusChange(e->reason()))
        FReportedTo = nullptr;
}

void TBaseConvertEdit::focusOutEvent(QFocusEvent* e) {
    TCustomStateEdit::focusOutEvent(e);
    if (IsPassingFocusChange(e->reason()) || Null())
        return;
    try {
        ConvertText();
        UpdateText();
    } catch (const std::exception& ex) {
        // The focus has moved on by now: a Post button that took it knows the text was reported.
        FReportedTo = QApplication::focusWidget();
        // The text stays as it is, so the user can see and correct it.
        Application.ShowException(ex);
    }
}

bool TBaseConvertEdit::ConvertForPost() {
    if (Null())
        return true;
    try {
        ConvertText();
        UpdateText();
        return true;
    } catch (const std::exception& ex) {
        // One message for one Post, whether leaving the field or the Post found the text first.
        const bool reported = FReportedTo && FReportedTo == QApplication::focusWidget();
        FReportedTo = nullptr;
        if (!reported)
            Application.ShowException(ex);
        setFocus(Qt::OtherFocusReason);
        return false;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// TBaseNumericEdit

TBaseNumericEdit::TBaseNumericEdit(QWidget* parent) : TBaseConvertEdit(parent) {
    // Every character must pass the key filter; an input method would slip text past it.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    UpdateText();
}

void TBaseNumericEdit::SetAsFloat(double x) {
    // Rebuilt even for an unchanged value: a text left unconverted (the window closed while it was being
    // edited) must not survive into the next showing.
    FValue = x;
    EndNull();
    UpdateText();
}

void TBaseNumericEdit::SetText(const std::string& text) {
    if (text == FromQt(this->text()))
        return;
    if (Null() && text != NullStr())
        EndNull();
    ShowText(text);
    ConvertText();
    UpdateText();
}

void TBaseNumericEdit::SetDecimalPlaces(int value) {
    FDecimalPlaces = std::clamp(value, 0, 18);
    UpdateText();
}

void TBaseNumericEdit::SetShowPosSign(bool value) {
    FShowPosSign = value;
    UpdateText();
}

void TBaseNumericEdit::SetReadOnly(bool value) {
    TBaseConvertEdit::SetReadOnly(value);
    setAttribute(Qt::WA_InputMethodEnabled, false); // QLineEdit turns it back on
}

double TBaseNumericEdit::TextToNumber(const std::string& text) {
    std::string s = text;
    if (const auto percent = s.find('%'); percent != std::string::npos)
        s.erase(percent, 1);
    if (ThousandSeparator != '\0')
        std::erase(s, ThousandSeparator);
    s = Trim(s);
    // What typing can leave unfinished at the end: a sign, an exponent letter or a separator.
    const auto unfinished = [](char c) {
        return c == '+' || c == '-' || c == 'E' || c == 'e' || c == DecimalSeparator;
    };
    while (!s.empty() && unfinished(s.back())) {
        s.pop_back();
        s = Trim(s);
    }
    if (s.empty())
        return 0.0;
    const ParseResult parsed = ParseNumber(LocaleToPoint(s));
    if (parsed.ErrorPos != 0 || !std::isfinite(parsed.Value))
        throw EConvertError("'" + s + "' is not a valid floating point value");
    return parsed.Value;
}

void TBaseNumericEdit::UpdateText() {
    if (Null()) {
        TBaseConvertEdit::UpdateText();
        return;
    }
    const double number = ShownNumber();
    std::string shown = FormatFixed(number, FDecimalPlaces);
    if (FShowPosSign && number > 0 && !shown.empty())
        shown.insert(0, 1, '+');
    ShowText(shown);
    // The value is what the field shows, rounded as shown.
    ConvertText();
}

void TBaseNumericEdit::ConvertText() {
    SetShownNumber(TextToNumber(FromQt(text())));
}

bool TBaseNumericEdit::IsAccepted(char key) const {
    return !isReadOnly() && (key == '+' || (key >= '0' && key <= '9') || key == DecimalSeparator ||
                             (key == ThousandSeparator && key != '\0'));
}

bool TBaseNumericEdit::FitsDecimalPlaces(QChar typed) const {
    // The text as it would stand with the character in place of the selection, or at the caret.
    QString result = text();
    const int at = hasSelectedText() ? selectionStart() : cursorPosition();
    result.replace(at, selectedText().size(), typed);
    const auto separator = result.indexOf(QChar::fromLatin1(DecimalSeparator));
    // A digit before the separator never adds decimals, even to a pasted text that holds too many.
    if (separator < 0 || (typed != QChar::fromLatin1(DecimalSeparator) && at <= separator))
        return true;
    const auto decimals =
        std::count_if(result.cbegin() + separator + 1, result.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return decimals <= FDecimalPlaces;
}

bool TBaseNumericEdit::KeyPress(QChar key) {
    // Nobody types grouping marks into a price or a mass: a point or a comma is meant as the decimal
    // separator, whichever the locale uses.
    const bool separator = key == QChar::fromLatin1(DecimalSeparator) || key == u'.' || key == u',';
    if (key.unicode() > 0xFF || (!separator && !IsAccepted(static_cast<char>(key.unicode()))) || isReadOnly()) {
        MessageBeep();
        return false;
    }
    const char c = static_cast<char>(key.unicode());
    if (separator) {
        if (hasSelectedText())
            del();
        // Refused as well where it would leave more decimals than the field shows: they would be rounded away.
        const QChar typed = QChar::fromLatin1(DecimalSeparator);
        if (text().contains(typed) || !FitsDecimalPlaces(typed)) {
            MessageBeep();
            return false;
        }
        if (c == DecimalSeparator)
            return true;
        insert(QString(typed));
        return false;
    }
    if (c >= '0' && c <= '9') {
        if (Null()) {
            clear();
            EndNull();
        }
        // A digit past the decimal places would be rounded away when the field is left.
        if (!FitsDecimalPlaces(key)) {
            MessageBeep();
            return false;
        }
        return true;
    }
    if (c == '+' && FUseSignToggling) {
        ToggleSign();
        return text().isEmpty() && FShowPosSign;
    }
    return true;
}

void TBaseNumericEdit::ToggleSign() {
    if (hasSelectedText())
        del();
    if (Null() || text().isEmpty()) {
        FShowPosSign = !FShowPosSign;
        return;
    }
    // Converted before the switch, so a text that does not convert leaves the sign display as it was.
    ConvertText();
    FShowPosSign = !FShowPosSign;
    FValue = std::abs(FValue);
    UpdateText();
}

// ---------------------------------------------------------------------------------------------------------------
// TPosFloatEdit

namespace {
// Below this a scale would blow the shown number up to nonsense; the field shows 0 instead.
constexpr double AlmostZeroScale = 1e-12;
} // namespace

TPosFloatEdit::TPosFloatEdit(QWidget* parent) : TBaseNumericEdit(parent) {
    setAlignment(Qt::AlignCenter);
}

void TPosFloatEdit::SetScale(double value) {
    FScale = value;
    UpdateText();
}

double TPosFloatEdit::ShownNumber() const {
    return std::abs(FScale) < AlmostZeroScale ? 0.0 : FValue / FScale;
}

void TPosFloatEdit::SetShownNumber(double number) {
    FValue = number * FScale;
}
