// The main window's status bar: one line of text over the whole width inside a raised frame with a
// lowered bevel, and a size grip at its right end.
#pragma once

#include <QRect>
#include <QWidget>

#include <string>

class QSizeGrip;

// Width of the size grip at the right end of the bar.
constexpr int SizeGripWidth = 13;

// The rectangle the text goes in, for a bar of the given size: inside the raised frame and the lowered
// bevel (one pixel each), shortened by the size grip when there is one, then 1 pixel in on every side.
QRect StatusTextArea(QRect bar, bool sizeGrip);

class TBevelStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TBevelStatusBar(QWidget* parent = nullptr);
    const std::string& SimpleText() const { return FSimpleText; }
    // An equal text changes nothing and does not repaint the bar.
    void SetSimpleText(const std::string& text);

    // Gap between the bevel and the text.
    int ControlGap = 3;
    // The classic look with the size grip at the right end.
    bool SizeGrip = true;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::string FSimpleText;
    QSizeGrip* FGrip;
};
