// One-line edit and combo box that hold their text as bytes, so a name read from the database goes
// back into SQL byte for byte; what the user types is taken as UTF-8.
#pragma once

#include <QAbstractListModel>
#include <QComboBox>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include <functional>
#include <span>
#include <string>
#include <string_view>
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

// The role of the note shown beside an entry of a list (a component's price), which is no part of its text.
inline constexpr int ItemNoteRole = Qt::UserRole + 2;

// The entries of a list control, held as bytes; the view is told about new entries once per turn of the
// event loop (or at Sync), so filling a long list costs little per entry.
class TItemsModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TItemsModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    std::span<const std::string> Items() const { return {FItems.data(), FCount}; }
    void Add(std::string_view item);
    // An entry with a note shown beside it.
    void Add(std::string_view item, std::string_view note);
    void Clear();
    // Tells the views about the entries added since the last time.
    void Sync();

private:
    // Entries past FCount are kept for their memory: a list filled again reuses it.
    std::vector<std::string> FItems;
    // By entry, its note; empty while no entry has one.
    std::vector<std::string> FNotes;
    std::size_t FCount = 0;
    int FShown = 0;
    bool FSyncPending = false;
};

class TComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TComboBox(QWidget* parent = nullptr);
    // The text shown, as bytes: an entry picked from the list gives that entry's bytes (by its index).
    std::string Text() const;
    // Shows text from its first character.
    void SetText(const std::string& text);
    std::span<const std::string> Items() const { return FItems.Items(); }
    void AddItem(std::string_view item);
    // An entry with a note that its list shows beside it (display only: the entry's text stays item).
    void AddItem(std::string_view item, std::string_view note);
    const TItemsModel& ItemsModel() const { return FItems; }
    // Called for Enter in the text field, instead of passing the key to the window.
    std::function<void()> OnEnter;
    // Empties the text and the list.
    void Clear();
    // Brings the drop-down list up to date with the entries now.
    void Sync();

protected:
    void focusInEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    TItemsModel FItems;
    std::string FBytes;
    QString FShown;
    QString FTextBeforeInsert;
    bool FSignalsWereBlocked = false;
};

// Draws a list entry with its note (ItemNoteRole) right-aligned beside it, in the grey of secondary text.
class TNoteDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
