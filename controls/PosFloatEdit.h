// The numeric entry fields: a one-line edit with state colours and the house keyboard conventions, one that
// converts its text when it is left, one that holds a number, and the non-negative float field with a scale.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPointer>

#include <string>

// A one-line edit whose background follows its state, with the keyboard conventions of the program's
// dialogs (Enter and the arrows move the focus, Esc undoes) and a null state in which it reads as empty.
class TCustomStateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCustomStateEdit(QWidget* parent = nullptr);

    // The shown text; empty in the null state.
    std::string Text() const;
    virtual void SetText(const std::string& text);

    bool ReadOnly() const { return isReadOnly(); }
    // Also takes the field out of the Tab order while it is read-only (it can still be clicked).
    virtual void SetReadOnly(bool value);

    bool Null() const { return FNull; }
    void SetNull(bool value);
    const std::string& NullStr() const { return FNullStr; }
    void SetNullStr(const std::string& value);

    bool AllowKbdNull() const { return FAllowKbdNull; }
    void SetAllowKbdNull(bool value) { FAllowKbdNull = value; }

    QColor ColorRO() const { return FColorRO; }
    QColor ColorRW() const { return FColorRW; }
    QColor ColorDisabled() const { return FColorDisabled; }
    QColor ColorFocus() const { return FColorFocus; }
    void SetColorRO(const QColor& color);
    void SetColorRW(const QColor& color);
    void SetColorDisabled(const QColor& color);
    void SetColorFocus(const QColor& color);

protected:
    // Shows the text built from the field's contents; the null state shows NullStr.
    virtual void UpdateText();
    // One typed printable character: true lets it into the edit, false drops it (the refusal beeps itself).
    virtual bool KeyPress(QChar key);
    // Leaves the null state without touching the shown text (the user has started typing).
    void EndNull() { FNull = false; }
    void ShowText(const std::string& text);
    void UpdateColor();

    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    bool HandlesShortcut(const QKeyEvent& e) const;
    void TypeText(QKeyEvent* e);

    bool FNull = false;
    std::string FNullStr;
    bool FAllowKbdNull = true;
    QColor FColorRO;
    QColor FColorRW;
    QColor FColorDisabled;
    QColor FColorFocus;
};

// An edit that turns its shown text into its contents whenever the user leaves it, and shows the contents
// again in their own form. A text that does not convert reaches the general error display and stays shown.
class TBaseConvertEdit : public TCustomStateEdit {
    Q_OBJECT
public:
    explicit TBaseConvertEdit(QWidget* parent = nullptr);

    // For a Post: converts the shown text as leaving the field does and returns true. A text that does not
    // convert stays shown, the field takes the focus back to have it corrected, and its message reaches the
    // general error display, unless leaving the field for the control that posts has just shown it; false then.
    bool ConvertForPost();

protected:
    // Reads the shown text into the contents; throws EConvertError when it cannot.
    virtual void ConvertText() = 0;

    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // Where the focus went when leaving the field last reported a text that does not convert.
    QPointer<QWidget> FReportedTo;
};

// A number field: digits, the locale separators and "+" (which toggles the sign display) can be typed; a
// typed point or comma is the decimal separator, and no more decimals than the field shows can be typed.
class TBaseNumericEdit : public TBaseConvertEdit {
    Q_OBJECT
public:
    explicit TBaseNumericEdit(QWidget* parent = nullptr);

    double AsFloat() const { return FValue; }
    // Shows x (null state off) and holds the shown, rounded number.
    void SetAsFloat(double x);

    // Shows text, reads it into the value and shows the value again; throws EConvertError (text stays shown)
    // when the text is not a number.
    void SetText(const std::string& text) override;

    int DecimalPlaces() const { return FDecimalPlaces; }
    void SetDecimalPlaces(int value);

    bool ShowPosSign() const { return FShowPosSign; }
    void SetShowPosSign(bool value);
    bool UseSignToggling() const { return FUseSignToggling; }
    void SetUseSignToggling(bool value) { FUseSignToggling = value; }

    void SetReadOnly(bool value) override;

    // The number a field text stands for, as read on leaving the field; throws EConvertError.
    static double TextToNumber(const std::string& text);

protected:
    // The number shown for the value, and the value held for a shown number.
    virtual double ShownNumber() const { return FValue; }
    virtual void SetShownNumber(double number) { FValue = number; }

    void UpdateText() override;
    void ConvertText() override;
    bool KeyPress(QChar key) override;

    double FValue = 0.0;

private:
    bool IsAccepted(char key) const;
    // True when typing the character leaves no more digits after the decimal separator than DecimalPlaces.
    bool FitsDecimalPlaces(QChar typed) const;
    void ToggleSign();

    int FDecimalPlaces = 2;
    bool FShowPosSign = false;
    bool FUseSignToggling = true;
};

// A non-negative float field. It shows value / Scale and holds the shown, rounded number times Scale.
class TPosFloatEdit : public TBaseNumericEdit {
    Q_OBJECT
public:
    explicit TPosFloatEdit(QWidget* parent = nullptr);

    double Scale() const { return FScale; }
    void SetScale(double value);

protected:
    double ShownNumber() const override;
    void SetShownNumber(double number) override;

private:
    double FScale = 1.0;
};
