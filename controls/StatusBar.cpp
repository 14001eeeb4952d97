#include "StatusBar.h"

#include "platform/QtText.h"

#include <QPainter>
#include <QSizeGrip>
#include <qdrawutil.h>

QRect StatusTextArea(QRect bar, bool sizeGrip) {
    QRect area = bar.adjusted(2, 2, -2, -2);
    if (sizeGrip)
        area.setRight(area.right() - SizeGripWidth);
    return area.adjusted(1, 1, -1, -1);
}

TBevelStatusBar::TBevelStatusBar(QWidget* parent) : QWidget(parent), FGrip(new QSizeGrip(this)) {
    setFixedHeight(19);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    FGrip->setObjectName("SizeGrip");
    FGrip->setAccessibleName("Size grip");
}

void TBevelStatusBar::SetSimpleText(const std::string& text) {
    if (text == FSimpleText)
        return;
    FSimpleText = text;
    setAccessibleName(ToQt(text));
    update();
}

void TBevelStatusBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FGrip->setVisible(SizeGrip);
    FGrip->setGeometry(width() - SizeGripWidth - 1, height() - SizeGripWidth - 1, SizeGripWidth, SizeGripWidth);
}

void TBevelStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The raised outer edge, then the lowered bevel around the text.
    qDrawShadePanel(&painter, rect(), palette(), false, 1);
    const QRect text = StatusTextArea(rect(), SizeGrip);
    qDrawShadePanel(&painter, text.adjusted(-2, -2, 2, 2), palette(), true, 1);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(text.adjusted(ControlGap, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextExpandTabs, ToQt(FSimpleText));
}
