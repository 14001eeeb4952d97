#include "Hints.h"

#include "platform/QtText.h"

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QPolygon>
#include <QScreen>

#include <algorithm>

namespace {

// Room for the nose on the anchor's side, the nose's base on the body's edge, and where that base starts.
constexpr int NoseBand = 15;
constexpr int NoseBase = 30;
constexpr int NoseInset = 10;
constexpr int Corner = 8;

bool HasNose(THintStyle style) {
    return style == hsNoseRect || style == hsNoseRoundRect || style == hsNoseEllipse;
}

bool Above(THintPosition position) {
    return position == hpAboveLeft || position == hpAboveRight;
}

// The anchor lies right of the balloon for the "left" positions.
bool AnchorRight(THintPosition position) {
    return position == hpAboveLeft || position == hpBelowLeft;
}

THintPosition Next(THintPosition position) {
    switch (position) {
    case hpAboveLeft:
        return hpAboveRight;
    case hpAboveRight:
        return hpBelowLeft;
    case hpBelowLeft:
        return hpBelowRight;
    case hpBelowRight:
        break;
    }
    return hpAboveLeft;
}

QPainterPath Outline(THintStyle style, QRectF rect) {
    QPainterPath path;
    if (style == hsEllipse || style == hsNoseEllipse)
        path.addEllipse(rect);
    else if (style == hsRoundRect || style == hsNoseRoundRect)
        path.addRoundedRect(rect, Corner, Corner);
    else
        path.addRect(rect);
    return path;
}

QScreen* ScreenAt(QPoint point) {
    QScreen* screen = QGuiApplication::screenAt(point);
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

int HintWrapWidth(int maxWidth, int screenWidth) {
    return maxWidth < 0 ? screenWidth / -maxWidth : maxWidth;
}

QSize BalloonSize(QSize textSize, THintStyle style, int shadowDepth) {
    if (HasNose(style))
        return {std::max(textSize.width(), 46) + 23 + shadowDepth, textSize.height() + 18 + shadowDepth};
    if (style == hsEllipse)
        return {textSize.width() * 3 / 2 + shadowDepth, textSize.height() * 2 + shadowDepth};
    return {textSize.width() + 12 + shadowDepth, textSize.height() + 6 + shadowDepth};
}

QPoint BalloonTopLeft(THintPosition position, QPoint anchor, QSize size) {
    const int w = size.width(), h = size.height(), x = anchor.x(), y = anchor.y();
    switch (position) {
    case hpAboveLeft:
        return {x - w - 1, y - h - 1};
    case hpAboveRight:
        return {x + 1, y - h - 1};
    case hpBelowLeft:
        return {x - w - 3, y + 1};
    case hpBelowRight:
        break;
    }
    return {x + 6, y + 1};
}

THintPosition PlaceBalloon(THintPosition preferred, QPoint anchor, QSize size, QRect desktop) {
    THintPosition position = preferred;
    for (int tries = 1;; ++tries) {
        const QRect window(BalloonTopLeft(position, anchor, size), size);
        if (tries == 4 || (desktop.contains(window.topLeft()) && desktop.contains(window.bottomRight())))
            return position;
        position = Next(position);
    }
}

QRect BalloonBody(THintStyle style, THintPosition position, QSize size, int shadowDepth) {
    QRect body(0, 0, size.width() - shadowDepth, size.height() - shadowDepth);
    if (HasNose(style)) {
        if (Above(position))
            body.setBottom(body.bottom() - NoseBand);
        else
            body.setTop(body.top() + NoseBand);
    }
    return body;
}

QPainterPath BalloonShape(THintStyle style, THintPosition position, QSize size, int shadowDepth) {
    const QRect body = BalloonBody(style, position, size, shadowDepth);
    // Pixel edges: a 1-pixel outline along the path stays inside the body's pixels.
    QPainterPath shape = Outline(style, QRectF(body).adjusted(0, 0, -1, -1));
    if (!HasNose(style))
        return shape;
    const int right = size.width() - shadowDepth - 1;
    const QPoint tip(AnchorRight(position) ? right : 0, Above(position) ? size.height() - shadowDepth - 1 : 0);
    // The nose meets the body on its straight edge, past the corner's curve.
    const int edge = Above(position) ? body.bottom() : body.top();
    const int start = AnchorRight(position) ? right - NoseInset - NoseBase : NoseInset;
    QPainterPath nose;
    nose.addPolygon(QPolygon({tip, {start, edge}, {start + NoseBase, edge}, tip}));
    return shape.united(nose).simplified();
}

TBalloonWindow::TBalloonWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput) {
    setObjectName("Balloon");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

void TBalloonWindow::paintEvent(QPaintEvent*) {
    const QPainterPath shape = BalloonShape(FStyle, Position, size(), FShadowDepth);
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setBrush(FShadowColor);
    painter.drawPath(shape.translated(FShadowDepth, FShadowDepth));
    painter.setPen(QPen(FBorderColor, 1));
    painter.setBrush(FColor);
    painter.drawPath(shape);
    const QRect body = BalloonBody(FStyle, Position, size(), FShadowDepth);
    const QRect text(body.left() + (body.width() - TextSize.width()) / 2,
                     body.top() + (body.height() - TextSize.height()) / 2, TextSize.width(), TextSize.height());
    painter.setPen(FFontColor);
    painter.setFont(FFont);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, Text);
}

TCustomShapeHint::TCustomShapeHint(QObject* parent)
    : QObject(parent), Color(QApplication::palette().color(QPalette::ToolTipBase)), Font("MS Sans Serif"),
      FontColor(QApplication::palette().color(QPalette::ToolTipText)),
      ShadowColor(QApplication::palette().color(QPalette::Dark)) {
    Font.setPixelSize(11);
}

TCustomShapeHint::~TCustomShapeHint() {
    delete FWindow.data();
}

TBalloonWindow* TCustomShapeHint::Balloon() const {
    return FWindow && FWindow->isVisible() ? FWindow.data() : nullptr;
}

void TCustomShapeHint::CloseBalloon() {
    if (FWindow)
        FWindow->hide();
}

void TCustomShapeHint::ShowBalloon(const QString& text, QPoint anchor) {
    CloseBalloon();
    if (!FWindow)
        FWindow = new TBalloonWindow;
    TBalloonWindow& window = *FWindow;
    QScreen* screen = ScreenAt(anchor);
    const int wrap = HintWrapWidth(MaxWidth, screen ? screen->geometry().width() : 1024);
    window.Text = text;
    window.TextSize = QFontMetrics(Font).boundingRect(QRect(0, 0, wrap, 1 << 20), Qt::TextWordWrap, text).size();
    window.FStyle = Style;
    window.FShadowDepth = ShadowDepth;
    window.FColor = Color;
    window.FBorderColor = BorderColor;
    window.FFontColor = FontColor;
    window.FShadowColor = ShadowColor;
    window.FFont = Font;
    const QSize size = BalloonSize(window.TextSize, Style, ShadowDepth);
    const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    window.Position = PlaceBalloon(Position, anchor, size, desktop);
    window.setGeometry(QRect(BalloonTopLeft(window.Position, anchor, size), size));
    window.setAccessibleName(text);

    // Everything outside the balloon and its shadow keeps showing what lies behind it.
    QBitmap mask(size);
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setPen(QPen(Qt::color1, 1));
    painter.setBrush(Qt::color1);
    const QPainterPath shape = BalloonShape(Style, window.Position, size, ShadowDepth);
    painter.drawPath(shape);
    painter.drawPath(shape.translated(ShadowDepth, ShadowDepth));
    painter.end();
    window.setMask(mask);
    window.show();
    window.raise();
}

// Ordinary tooltips

TShapeHint::TShapeHint(QObject* parent) : TCustomShapeHint(parent) {
    Position = hpBelowRight;
    FTimer.setSingleShot(true);
    connect(&FTimer, &QTimer::timeout, this, [this] { CloseBalloon(); });
    qApp->installEventFilter(this);
}

bool TShapeHint::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::ToolTip && widget) {
        // A control without a hint of its own passes the request on to its parent, as Qt does.
        const QString tip = widget->toolTip();
        if (tip.isEmpty())
            return false;
        TBalloonWindow* open = Balloon();
        if (!open || FTipWidget != widget || open->Text != tip) {
            ShowBalloon(tip, static_cast<QHelpEvent*>(event)->globalPos());
            FTipWidget = widget;
        }
        // As long as the platform's own tooltips stay up: ten seconds, longer for long texts.
        FTimer.start(10000 + 40 * std::max<int>(0, static_cast<int>(tip.size()) - 100));
        event->accept();
        return true;
    }
    if (!Balloon())
        return false;
    switch (event->type()) {
    case QEvent::Leave:
    case QEvent::Hide:
        if (widget && widget == FTipWidget)
            CloseBalloon();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::WindowDeactivate:
        CloseBalloon();
        break;
    default:
        break;
    }
    return false;
}

// Message balloons

TMessageHint::TMessageHint(QObject* parent) : TCustomShapeHint(parent) {
    Position = hpBelowLeft;
}

void TMessageHint::ShowControlHint(const std::string& text, QWidget* control) {
    FSwallowRelease = false;
    CloseMessage();
    if (!control || !control->isVisible() || !control->parentWidget())
        return;
    LastText = text.empty() ? FromQt(control->toolTip()) : text;
    LastAnchor = control->mapToGlobal(QPoint(0, 0)) + QPoint(control->width() / 2, control->height() / 2);
    FControl = control;
    ShowBalloon(ToQt(LastText).replace("\r\n", "\n"), LastAnchor);
    if (!FFiltering) {
        qApp->installEventFilter(this);
        FFiltering = true;
    }
}

void TMessageHint::CloseMessage() {
    CloseBalloon();
    FControl = nullptr;
    if (FFiltering && !FSwallowRelease) {
        qApp->removeEventFilter(this);
        FFiltering = false;
    }
}

bool TMessageHint::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
        // The click that closes the balloon does nothing else; neither does its release.
        if (Showing()) {
            FSwallowRelease = true;
            CloseMessage();
        }
        return FSwallowRelease;
    case QEvent::MouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonRelease:
        if (FSwallowRelease) {
            FSwallowRelease = false;
            CloseMessage();
            return true;
        }
        if (Showing())
            CloseMessage();
        return false;
    case QEvent::Wheel:
        if (Showing()) {
            CloseMessage();
            return true;
        }
        return false;
    case QEvent::KeyPress:
    case QEvent::Shortcut:
        CloseMessage();
        return false;
    case QEvent::ApplicationStateChange:
        if (static_cast<QApplicationStateChangeEvent*>(event)->applicationState() != Qt::ApplicationActive)
            CloseMessage();
        return false;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate: {
        // Another window coming to the front, or the control's own one going to the back, ends the
        // message. The dialog that asked for the message going away, and the control's window coming
        // back, only complete what was already happening when the message was shown.
        const auto* window = qobject_cast<QWidget*>(watched);
        const QWidget* home = FControl ? FControl->window() : nullptr;
        if (window && window->isWindow() && window != Balloon() &&
            ((event->type() == QEvent::WindowActivate) != (window == home)))
            CloseMessage();
        return false;
    }
    case QEvent::Hide:
        if (watched == FControl)
            CloseMessage();
        return false;
    default:
        return false;
    }
}
