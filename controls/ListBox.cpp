#include "ListBox.h"

#include "platform/QtText.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextOption>

namespace {

// Draws a line with its tabs expanded to the list box's tab stops.
class TabDelegate : public QStyledItemDelegate {
public:
    explicit TabDelegate(TListBox& box) : QStyledItemDelegate(&box), FBox(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
        layout.setWrapMode(QTextOption::NoWrap);
        layout.setTabStopDistance(FBox.TabStopPixels());
        const bool selected = opt.state & QStyle::State_Selected;
        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                                : QPalette::Inactive;
        painter->save();
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setClipRect(opt.rect);
        painter->drawText(QRectF(opt.rect).adjusted(2, 0, 0, 0), text, layout);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // As wide as the line with its tabs expanded, so a line past the right edge can be scrolled to.
        const QString text = index.data(Qt::DisplayRole).toString();
        const int width =
            QFontMetrics(option.font)
                .boundingRect(QRect(), Qt::TextSingleLine | Qt::TextExpandTabs, text, FBox.TabStopPixels())
                .width();
        return {width + 4, FBox.ItemHeight()};
    }

private:
    const TListBox& FBox;
};

} // namespace

int TListBoxModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FBox.Items().size());
}

QVariant TListBoxModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return ToQt(FBox.Items()[static_cast<std::size_t>(index.row())]);
}

TListBox::TListBox(QWidget* parent) : QListView(parent), FModel(*this) {
    setModel(&FModel);
    setItemDelegate(new TabDelegate(*this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
}

void TListBox::AddItems(const std::vector<std::string>& lines) {
    if (lines.empty())
        return;
    const int first = static_cast<int>(FItems.size());
    FModel.beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
    FItems.insert(FItems.end(), lines.begin(), lines.end());
    FModel.endInsertRows();
}

void TListBox::Clear() {
    FModel.beginResetModel();
    FItems.clear();
    FModel.endResetModel();
}

void TListBox::SetTabWidth(int width) {
    FTabWidth = width;
    viewport()->update();
}

int TListBox::TabStopPixels() const {
    // A tab width counts quarters of the font's average character width: the mean advance of the 52
    // letters a to z and A to Z, rounded.
    const int letters = fontMetrics().horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int average = (letters / 26 + 1) / 2;
    return (FTabWidth * average + 2) / 4;
}

void TListBox::SetItemHeight(int height) {
    FItemHeight = height;
    scheduleDelayedItemsLayout();
}
