#include "DialogLayout.h"

#include "forms/HelpContexts.h"
#include "platform/Application.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

#include <vector>

namespace {
// The frame of a window around its client area: borders and caption.
constexpr int FrameWidth = 8;
constexpr int FrameHeight = 27;

// Moves and sizes the anchored controls of one window by how far the window is from its laid-out size.
class TAnchorLayout : public QObject {
public:
    explicit TAnchorLayout(QWidget& window) : QObject(&window), FWindow(window), FLaidOut(window.size()) {
        window.installEventFilter(this);
    }

    void Add(QWidget& control, int anchors) {
        FControls.push_back({&control, anchors, control.geometry()});
        Place(FControls.back());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &FWindow && event->type() == QEvent::Resize)
            for (const TAnchored& anchored : FControls)
                Place(anchored);
        return false;
    }

private:
    struct TAnchored {
        QPointer<QWidget> Control;
        int Anchors;
        QRect LaidOut;
    };

    void Place(const TAnchored& anchored) const {
        if (!anchored.Control)
            return;
        const int dx = FWindow.width() - FLaidOut.width();
        const int dy = FWindow.height() - FLaidOut.height();
        QRect place = anchored.LaidOut;
        if (anchored.Anchors & AnchorRight) {
            if (anchored.Anchors & AnchorLeft)
                place.setWidth(place.width() + dx);
            else
                place.translate(dx, 0);
        }
        if (anchored.Anchors & AnchorBottom) {
            if (anchored.Anchors & AnchorTop)
                place.setHeight(place.height() + dy);
            else
                place.translate(0, dy);
        }
        anchored.Control->setGeometry(place);
    }

    QWidget& FWindow;
    QSize FLaidOut;
    std::vector<TAnchored> FControls;
};

} // namespace

void TDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QFont WindowFont() {
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    return font;
}

void SetupDialog(QDialog& dialog, const char* name, const char* caption, QRect outer) {
    dialog.setObjectName(name);
    dialog.setWindowTitle(caption);
    dialog.setFont(WindowFont());
    dialog.setModal(true);
    dialog.setFixedSize(outer.width() - FrameWidth, outer.height() - FrameHeight);
    dialog.move(outer.topLeft());
}

QLabel* MakeDialogLabel(QWidget* parent, const char* name, const char* caption, QPoint at) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    // A label that shows a name shows it as it is written, never as markup.
    label->setTextFormat(Qt::PlainText);
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

void MakeSizeable(QDialog& dialog) {
    dialog.setMinimumSize(dialog.size());
    dialog.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The window is laid out for this size; the anchors measure from it.
    new TAnchorLayout(dialog);
}

void SetAnchors(QWidget& control, int anchors) {
    if (QWidget* window = control.parentWidget())
        for (QObject* child : window->children())
            if (auto* layout = dynamic_cast<TAnchorLayout*>(child)) {
                layout->Add(control, anchors);
                return;
            }
}

QStatusBar* MakeDialogStatusBar(QWidget* parent) {
    auto* bar = new QStatusBar(parent);
    bar->setObjectName("StatusBar1");
    bar->setSizeGripEnabled(false);
    bar->setGeometry(0, parent->height() - 19, parent->width(), 19);
    return bar;
}

void ConnectButton(QAbstractButton* button, std::function<void()> handler) {
    QObject::connect(button, &QAbstractButton::clicked, button, [handler] { Guarded(handler); });
}

void SetHelpKey(QWidget& window, int context) {
    SetHelpKey(window, [context] { return context; });
}

void SetHelpKey(QWidget& window, std::function<int()> context) {
    auto* key = new QShortcut(QKeySequence(Qt::Key_F1), &window);
    key->setObjectName("HelpKey");
    QObject::connect(key, &QShortcut::activated, &window,
                     [context] { Guarded([&context] { Application.HelpContext(context(), HelpFileName); }); });
}
