// Balloon hints: the shaped balloon that replaces every tooltip of the program (TShapeHint), and the
// message balloon that points the user at a control until the next click or key (TMessageHint).
#pragma once

#include <QColor>
#include <QFont>
#include <QObject>
#include <QPainterPath>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QWidget>

#include <string>

enum THintStyle { hsRect, hsRoundRect, hsEllipse, hsNoseRect, hsNoseRoundRect, hsNoseEllipse };
// Where the balloon sits relative to the point it belongs to.
enum THintPosition { hpAboveLeft, hpAboveRight, hpBelowLeft, hpBelowRight };

// The rules of a balloon's size, shape and place, free of any screen.

// The width at which the text wraps: a negative setting -n means the screen width divided by n.
int HintWrapWidth(int maxWidth, int screenWidth);
// The window for a text of textSize: the nose shapes are at least 46 pixels wide and add 23 + the
// shadow to the width and 18 + the shadow to the height, for the nose, the corners and the shadow.
QSize BalloonSize(QSize textSize, THintStyle style, int shadowDepth);
// The window's top-left corner for a position around the anchor.
QPoint BalloonTopLeft(THintPosition position, QPoint anchor, QSize size);
// The first position, from preferred on in the order above-left, above-right, below-left, below-right
// and round again, in which the whole window lies on the desktop; the fourth one tried when none fits.
THintPosition PlaceBalloon(THintPosition preferred, QPoint anchor, QSize size, QRect desktop);
// The balloon's body: the window less the shadow and, for the nose shapes, less a 15-pixel band on the
// anchor's side for the nose.
QRect BalloonBody(THintStyle style, THintPosition position, QSize size, int shadowDepth);
// The outline of body and nose in one, in window coordinates; the shadow is this outline moved by its depth.
QPainterPath BalloonShape(THintStyle style, THintPosition position, QSize size, int shadowDepth);

// One balloon on the screen: shaped by a window mask, so it needs no compositor, shown on top without
// taking the focus.
class TBalloonWindow : public QWidget {
    Q_OBJECT
public:
    TBalloonWindow();
    QString Text;
    THintPosition Position = hpBelowRight;
    QSize TextSize;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    friend class TCustomShapeHint;
    THintStyle FStyle = hsNoseRoundRect;
    int FShadowDepth = 6;
    QColor FColor, FBorderColor, FFontColor, FShadowColor;
    QFont FFont;
};

// What the two hint components share: the balloon's look and how one is opened and closed.
class TCustomShapeHint : public QObject {
    Q_OBJECT
public:
    explicit TCustomShapeHint(QObject* parent = nullptr);
    ~TCustomShapeHint() override;

    THintStyle Style = hsNoseRoundRect;
    THintPosition Position = hpBelowRight;
    QColor Color; // fill: the system's tooltip background
    QColor BorderColor = Qt::black;
    QFont Font;        // "MS Sans Serif", 8 point
    QColor FontColor;  // the system's tooltip text colour
    int MaxWidth = -4; // the text wraps at a quarter of the screen width
    int ShadowDepth = 6;
    QColor ShadowColor; // solid, the system's button shadow

    // Opens the balloon with text at anchor (screen coordinates), closing an open one first.
    void ShowBalloon(const QString& text, QPoint anchor);
    void CloseBalloon();
    // The balloon on the screen, or null while none is open.
    TBalloonWindow* Balloon() const;

private:
    QPointer<TBalloonWindow> FWindow;
};

// Shows every control's hint of every window in the balloon, at the mouse cursor: one hook on the
// whole application, in force from creation on.
class TShapeHint : public TCustomShapeHint {
    Q_OBJECT
public:
    explicit TShapeHint(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> FTipWidget;
    QTimer FTimer;
};

// A message pointing at a control: shown below-left of the control's centre until the user's next
// mouse click (which it takes, so it does nothing else), key, change of the active window or menu command.
class TMessageHint : public TCustomShapeHint {
    Q_OBJECT
public:
    explicit TMessageHint(QObject* parent = nullptr);
    // Closes the message shown before; shows nothing for a hidden control or one without a parent. An
    // empty text shows the control's own hint.
    void ShowControlHint(const std::string& text, QWidget* control);
    bool Showing() const { return Balloon() != nullptr; }
    // What was shown last, and where (screen coordinates of the anchor).
    std::string LastText;
    QPoint LastAnchor;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CloseMessage();
    QPointer<QWidget> FControl;
    bool FFiltering = false;
    bool FSwallowRelease = false;
};
