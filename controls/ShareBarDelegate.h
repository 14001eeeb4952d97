// Cells that hold a share in percent: the number is drawn over a bar as long as that share of the cell.
#pragma once

#include <QStyledItemDelegate>

#include <optional>

class TShareBarDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The share a cell's text shows, held to 0 to 100; nothing for an empty text or one that is no number.
    static std::optional<double> Share(const QString& text);
};
