// A plain text field that shows its text placed by Alignment while the user is not editing it.
#pragma once

#include <QColor>
#include <QLineEdit>

class TumEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TumEdit(QWidget* parent = nullptr);

    // Placement of the text while the field does not have the focus; left at creation.
    Qt::Alignment Alignment() const { return FAlignment; }
    void SetAlignment(Qt::Alignment value);

    // Background while disabled; the system window colour at creation.
    QColor ColorDisabled() const { return FColorDisabled; }
    void SetColorDisabled(const QColor& color);

    bool Focused() const { return FFocused; }

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void ApplyAlignment();

    Qt::Alignment FAlignment = Qt::AlignLeft;
    QColor FColorDisabled;
    bool FFocused = false;
};
