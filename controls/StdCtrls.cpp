#include "StdCtrls.h"

#include "platform/QtText.h"

std::string TEdit::Text() const { return text() == FShown ? FBytes : FromQt(text()); }

void TEdit::SetText(const std::string& text) {
    FBytes = text;
    FShown = ToQt(text);
    setText(FShown);
}

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

std::string TComboBox::Text() const {
    const QString shown = currentText();
    if (shown == FShown)
        return FBytes;
    // A name picked from the list keeps the bytes it was loaded with.
    const int picked = findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (picked >= 0 && static_cast<std::size_t>(picked) < FItems.size())
        return FItems[static_cast<std::size_t>(picked)];
    return FromQt(shown);
}

void TComboBox::SetText(const std::string& text) {
    FBytes = text;
    FShown = ToQt(text);
    setEditText(FShown);
}

void TComboBox::AddItem(const std::string& item) {
    FItems.push_back(item);
    // Filling the list leaves the text as it was; an editable box would otherwise show its first entry.
    const QString shown = currentText();
    addItem(ToQt(item));
    if (currentText() != shown) {
        setCurrentIndex(-1);
        setEditText(shown);
    }
}

void TComboBox::Clear() {
    FItems.clear();
    clear();
    SetText({});
}
