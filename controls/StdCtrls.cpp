#include "StdCtrls.h"

#include "platform/QtText.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPainter>

std::string TEdit::Text() const {
    return text() == FShown ? FBytes : FromQt(text());
}

void TEdit::SetText(const std::string& text) {
    // A read-only field shown again with the same name (every refresh of the recipe) has nothing to redo.
    if (isReadOnly() && text == FBytes && this->text() == FShown)
        return;
    FBytes = text;
    FShown = ToQt(text);
    setText(FShown);
}

int TItemsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FShown;
}

QVariant TItemsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FShown)
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    const bool noted = row < FNotes.size() && !FNotes[row].empty();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return ToQt(FItems[row]);
    case ItemNoteRole:
        return noted ? QVariant(ToQt(FNotes[row])) : QVariant();
    case Qt::AccessibleTextRole:
        // A screen reader says the note after the entry, as the list shows it.
        return noted ? QVariant(ToQt(FItems[row]) + ", " + ToQt(FNotes[row])) : QVariant();
    default:
        return {};
    }
}

void TItemsModel::Add(std::string_view item, std::string_view note) {
    if (FNotes.size() < FCount)
        FNotes.resize(FCount);
    Add(item);
    const std::size_t at = FCount - 1;
    if (at < FNotes.size())
        FNotes[at].assign(note);
    else
        FNotes.emplace_back(note);
}

void TItemsModel::Add(std::string_view item) {
    // An entry without a note drops the one a former entry at its place had.
    if (FCount < FNotes.size())
        FNotes[FCount].clear();
    if (FCount < FItems.size())
        FItems[FCount].assign(item);
    else
        FItems.emplace_back(item);
    ++FCount;
    if (FSyncPending)
        return;
    FSyncPending = true;
    QMetaObject::invokeMethod(this, &TItemsModel::Sync, Qt::QueuedConnection);
}

void TItemsModel::Clear() {
    beginResetModel();
    FCount = 0;
    FShown = 0;
    endResetModel();
}

void TItemsModel::Sync() {
    FSyncPending = false;
    const int count = static_cast<int>(FCount);
    if (count <= FShown)
        return;
    beginInsertRows({}, FShown, count - 1);
    FShown = count;
    endInsertRows();
}

TComboBox::TComboBox(QWidget* parent) : QComboBox(parent), FItems(this) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setModel(&FItems);
    // The list is told of new entries only after filling; the text must stay as the program set it.
    // Filling the list is no change of the text either, so no text-change signal comes of it.
    connect(&FItems, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        FTextBeforeInsert = currentText();
        FSignalsWereBlocked = blockSignals(true);
    });
    connect(&FItems, &QAbstractItemModel::rowsInserted, this, [this] {
        if (currentText() != FTextBeforeInsert) {
            setCurrentIndex(-1);
            setEditText(FTextBeforeInsert);
        }
        blockSignals(FSignalsWereBlocked);
    });
}

std::string TComboBox::Text() const {
    const QString shown = currentText();
    if (shown == FShown)
        return FBytes;
    // A name picked from the list keeps the bytes it was loaded with.
    const int picked = currentIndex();
    if (picked >= 0 && static_cast<std::size_t>(picked) < Items().size() && itemText(picked) == shown)
        return Items()[static_cast<std::size_t>(picked)];
    return FromQt(shown);
}

void TComboBox::SetText(const std::string& text) {
    FBytes = text;
    FShown = ToQt(text);
    setEditText(FShown);
    if (lineEdit())
        lineEdit()->setCursorPosition(0);
}

void TComboBox::focusInEvent(QFocusEvent* e) {
    QComboBox::focusInEvent(e);
    // Entered by Tab or by opening the dialog, the whole text is selected; it shows from its first
    // character, as a long placeholder must.
    QLineEdit* edit = lineEdit();
    if (edit && edit->hasSelectedText() && edit->selectedText() == edit->text())
        edit->setSelection(static_cast<int>(edit->text().size()), -static_cast<int>(edit->text().size()));
}

void TComboBox::AddItem(std::string_view item) {
    FItems.Add(item);
}

void TComboBox::AddItem(std::string_view item, std::string_view note) {
    FItems.Add(item, note);
}

void TComboBox::keyPressEvent(QKeyEvent* e) {
    const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
    if (enter && OnEnter && !view()->isVisible()) {
        e->accept();
        OnEnter();
        return;
    }
    QComboBox::keyPressEvent(e);
}

void TComboBox::Clear() {
    FItems.Clear();
    SetText({});
}

void TComboBox::Sync() {
    FItems.Sync();
}

void TNoteDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const QString note = index.data(ItemNoteRole).toString();
    if (note.isEmpty())
        return;
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText));
    painter->drawText(option.rect.adjusted(0, 0, -6, 0), Qt::AlignRight | Qt::AlignVCenter, note);
    painter->restore();
}

QSize TNoteDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QString note = index.data(ItemNoteRole).toString();
    if (!note.isEmpty())
        size.rwidth() += option.fontMetrics.horizontalAdvance(note) + 18;
    return size;
}
