// One-line edit and combo box that hold their text as bytes, so a name read from the database goes
// back into SQL byte for byte; what the user types is taken as UTF-8.
#pragma once

#include <QComboBox>
#include <QLineEdit>

#include <string>
#include <vector>

class TEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TEdit(QWidget* parent = nullptr) : QLineEdit(parent) {}
    std::string Text() const;
    void SetText(const std::string& text);

private:
    std::string FBytes;
    QString FShown;
};

class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);
    std::string Text() const;
    void SetText(const std::string& text);
    const std::vector<std::string>& Items() const { return FItems; }
    void AddItem(const std::string& item);
    // Empties the text and the list.
    void Clear();

private:
    std::vector<std::string> FItems;
    std::string FBytes;
    QString FShown;
};
