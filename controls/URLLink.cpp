#include "URLLink.h"

#include "platform/Application.h"
#include "platform/Dialogs.h"

#include <QMouseEvent>

TURLLink::TURLLink(QWidget* parent) : QLabel(parent), FFocusFont(Look()), FSavedFont(Look()) {
    setCursor(Qt::PointingHandCursor);
}

TFontLook TURLLink::Look() const {
    return {font(), palette().color(QPalette::WindowText)};
}

void TURLLink::SetLook(const TFontLook& look) {
    setFont(look.Font);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, look.Color);
    setPalette(p);
}

void TURLLink::Click() {
    if (!FLink.empty())
        OpenUrl(FLink);
}

void TURLLink::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    FSavedFont = Look();
    SetLook(FFocusFont);
    if (OnMouseEnter)
        Guarded(OnMouseEnter);
}

void TURLLink::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    SetLook(FSavedFont);
    if (OnMouseLeave)
        Guarded(OnMouseLeave);
}

void TURLLink::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Guarded([this] { Click(); });
}
