#include "Hints.h"

#include "platform/QtText.h"

#include <QToolTip>
#include <QWidget>

void TMessageHint::ShowControlHint(const std::string& text, QWidget* control) {
    if (Showing)
        QToolTip::hideText();
    Showing = false;
    if (!control || !control->isVisible() || !control->parentWidget())
        return;
    LastText = text.empty() ? FromQt(control->toolTip()) : text;
    LastAnchor = control->mapToGlobal(QPoint(control->width() / 2, control->height() / 2));
    QToolTip::showText(LastAnchor, ToQt(LastText).replace("\r\n", "\n"), control);
    Showing = true;
}
