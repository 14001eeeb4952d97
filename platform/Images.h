// The program's pictures, kept as SVG in its resources and drawn at the size a control needs, so they
// need no image plugin and stay sharp at any size.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The picture of resource (":/brivane.svg"), scaled to size; a transparent pixmap when it cannot be read.
QPixmap SvgPixmap(const QString& resource, QSize size);
// The program's icon at the usual icon sizes, the window icon of every window.
QIcon ProgramIcon();
