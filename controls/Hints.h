// A message pointing at a control: shown at the control's centre until the user's next action.
#pragma once

#include <QObject>
#include <QPoint>

#include <string>

class QWidget;

class TMessageHint : public QObject {
    Q_OBJECT
public:
    explicit TMessageHint(QObject* parent = nullptr) : QObject(parent) {}
    // Closes the message shown before; shows nothing for a hidden control or one without a parent.
    void ShowControlHint(const std::string& text, QWidget* control);
    // What was shown last, and where (screen coordinates of the anchor).
    std::string LastText;
    QPoint LastAnchor;
    bool Showing = false;
};
