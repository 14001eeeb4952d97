#include "StatusBar.h"

#include "platform/QtText.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

TBevelStatusBar::TBevelStatusBar(QWidget* parent) : QWidget(parent) {
    setFixedHeight(19);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void TBevelStatusBar::SetSimpleText(const std::string& text) {
    if (text == FSimpleText)
        return;
    FSimpleText = text;
    setAccessibleName(ToQt(text));
    update();
}

void TBevelStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect().adjusted(0, 1, -14, -1);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area.adjusted(4, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs,
                     ToQt(FSimpleText));
    QStyleOptionSizeGrip grip;
    grip.initFrom(this);
    grip.rect = QRect(width() - 13, height() - 13, 13, 13);
    grip.corner = Qt::BottomRightCorner;
    style()->drawControl(QStyle::CE_SizeGrip, &grip, &painter, this);
}
