#include "ShareBarDelegate.h"

#include "platform/QtText.h"
#include "text/StrMan.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
// Light enough that the number stays readable on the bar in a light and in a dark palette.
constexpr int BarAlpha = 90;
} // namespace

std::optional<double> TShareBarDelegate::Share(const QString& text) {
    std::string plain = FromQt(text.trimmed());
    if (plain.empty())
        return std::nullopt;
    std::replace(plain.begin(), plain.end(), DecimalSeparator, '.');
    const ParseResult number = ParseNumber(plain);
    if (number.ErrorPos || !std::isfinite(number.Value))
        return std::nullopt;
    return std::clamp(number.Value, 0.0, 100.0);
}

void TShareBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const std::optional<double> share = Share(cell.text);
    if (!share) {
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
        return;
    }
    // The cell's background first, then the bar, then the number over it.
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);
    const bool selected = cell.state & QStyle::State_Selected;
    const QRect inner = cell.rect.adjusted(1, 2, -1, -2);
    const int length = static_cast<int>(std::lround(inner.width() * *share / 100.0));
    if (length > 0) {
        QColor color = cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Highlight);
        color.setAlpha(BarAlpha);
        const QRect bar(inner.left(), inner.top(), length, inner.height());
        painter->fillRect(QStyle::visualRect(cell.direction, inner, bar), color);
    }
    // The number is drawn without a second background, in the colour the selection gives it.
    QStyleOptionViewItem number(cell);
    number.state &= ~QStyle::State_Selected;
    number.backgroundBrush = Qt::NoBrush;
    if (selected)
        number.palette.setColor(QPalette::Text, cell.palette.color(QPalette::HighlightedText));
    style->drawControl(QStyle::CE_ItemViewItem, &number, painter, widget);
}
