// The main window's status bar: one line of text over the whole width.
#pragma once

#include <QWidget>

#include <string>

class TBevelStatusBar : public QWidget {
    Q_OBJECT
public:
    explicit TBevelStatusBar(QWidget* parent = nullptr);
    const std::string& SimpleText() const { return FSimpleText; }
    // An equal text changes nothing and does not repaint the bar.
    void SetSimpleText(const std::string& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string FSimpleText;
};
