#include "DialogLayout.h"

#include "platform/Application.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

namespace {
// The frame of a window around its client area: borders and caption.
constexpr int FrameWidth = 8;
constexpr int FrameHeight = 27;
} // namespace

void TDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SetupDialog(QDialog& dialog, const char* name, const char* caption, QRect outer) {
    dialog.setObjectName(name);
    dialog.setWindowTitle(caption);
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    dialog.setFont(font);
    dialog.setModal(true);
    dialog.setFixedSize(outer.width() - FrameWidth, outer.height() - FrameHeight);
    dialog.move(outer.topLeft());
}

QLabel* MakeDialogLabel(QWidget* parent, const char* name, const char* caption, QPoint at) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->adjustSize();
    label->move(at);
    return label;
}

QPushButton* MakeDialogButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    FitCaption(*button, caption, geometry.width() - 8);
    // No default button: Enter and Escape mean nothing special in these dialogs.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

void FitCaption(QWidget& control, const QString& caption, int width) {
    QString shown = caption;
    shown.remove('&');
    QFont font = control.font();
    int size = QFontInfo(font).pixelSize();
    if (QFontMetrics(font).horizontalAdvance(shown) <= width)
        return;
    while (size > 8 && QFontMetrics(font).horizontalAdvance(shown) > width)
        font.setPixelSize(--size);
    control.setFont(font);
}

QStatusBar* MakeDialogStatusBar(QWidget* parent) {
    auto* bar = new QStatusBar(parent);
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    bar->setGeometry(0, parent->height() - 19, parent->width(), 19);
    return bar;
}

void ConnectButton(QPushButton* button, std::function<void()> handler) {
    QObject::connect(button, &QPushButton::clicked, button, [handler] { Guarded(handler); });
}
