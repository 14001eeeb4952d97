#include "controls/umEdit.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QPalette>

TumEdit::TumEdit(QWidget* parent) : QLineEdit(parent) {
    SetColorDisabled(QGuiApplication::palette().color(QPalette::Active, QPalette::Base));
    ApplyAlignment();
}

void TumEdit::SetAlignment(Qt::Alignment value) {
    FAlignment = value;
    ApplyAlignment();
}

void TumEdit::SetColorDisabled(const QColor& color) {
    FColorDisabled = color;
    // Only the disabled face changes; the text there is drawn in the system's grey.
    QPalette pal = palette();
    pal.setColor(QPalette::Disabled, QPalette::Base, color);
    setPalette(pal);
}

void TumEdit::focusInEvent(QFocusEvent* e) {
    FFocused = true;
    ApplyAlignment();
    QLineEdit::focusInEvent(e);
}

void TumEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    // A context menu is part of editing; any other loss of focus shows the placed face again at once.
    if (e->reason() == Qt::PopupFocusReason)
        return;
    FFocused = false;
    ApplyAlignment();
}

void TumEdit::ApplyAlignment() {
    // Edited as a plain left-aligned field; the placement only applies to the face shown at rest.
    const Qt::Alignment horizontal = FFocused ? Qt::Alignment(Qt::AlignLeft) : (FAlignment & Qt::AlignHorizontal_Mask);
    setAlignment(horizontal | Qt::AlignVCenter);
}
