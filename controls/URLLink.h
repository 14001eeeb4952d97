// A label that opens an address when clicked and changes its look while the mouse is over it.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>

#include <functional>
#include <string>

// A font with its colour, as a label's look is set in one piece.
struct TFontLook {
    QFont Font;
    QColor Color;
    bool operator==(const TFontLook& other) const = default;
};

class TURLLink : public QLabel {
    Q_OBJECT
public:
    explicit TURLLink(QWidget* parent = nullptr);

    // The label's own look: its font and text colour.
    TFontLook Look() const;
    void SetLook(const TFontLook& look);
    // The look while the mouse is over the label; setting it copies the given attributes.
    const TFontLook& FocusFont() const { return FFocusFont; }
    void SetFocusFont(const TFontLook& look) { FFocusFont = look; }
    // The address opened by a click, at most 255 characters; an empty one opens nothing.
    const std::string& Link() const { return FLink; }
    void SetLink(const std::string& link) { FLink = link.substr(0, 255); }

    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;

    // What a click does: asks the desktop to open Link.
    void Click();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TFontLook FFocusFont;
    TFontLook FSavedFont;
    std::string FLink;
};
