// Building blocks of the dialogs: fixed geometry, labels, buttons and the one-panel status bar.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>

#include <functional>

class QAbstractButton;
class QLabel;
class QPushButton;
class QStatusBar;
class QWidget;

// A dialog in which Escape closes nothing: it has no cancel button.
class TDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The windows' font: "MS Sans Serif" at 8 points (11 pixels), mapped to an installed face of its widths.
QFont WindowFont();
// Names the window, sets its caption and places it; outer gives the window's outer position and size.
void SetupDialog(QDialog& dialog, const char* name, const char* caption, QRect outer);
QLabel* MakeDialogLabel(QWidget* parent, const char* name, const char* caption, QPoint at);
QPushButton* MakeDialogButton(QWidget* parent, const char* name, const char* caption, QRect geometry);
// A substitute for a font the windows ask for by name can be wider than it: a caption that would not fit
// within width pixels is drawn a pixel size smaller until it does.
void FitCaption(QWidget& control, const QString& caption, int width);
// The edges of its window that a control keeps its distance to while the window is resized. A control
// anchored left and right grows with the window's width, one anchored right only moves with the right edge;
// likewise top and bottom.
enum TAnchors { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };
// Lets the user resize the window from its laid-out size upwards; its controls follow their anchors.
void MakeSizeable(QDialog& dialog);
// Anchors control (a child of a window made sizeable) at its present place.
void SetAnchors(QWidget& control, int anchors);
// A status bar of one panel along the bottom of the dialog.
QStatusBar* MakeDialogStatusBar(QWidget* parent);
// Runs handler inside the event guard when the button is clicked.
void ConnectButton(QAbstractButton* button, std::function<void()> handler);
// F1 anywhere in window asks the program's help file for the window's topic: context, or what context()
// gives at the key for a window whose topic follows what the user does in it.
void SetHelpKey(QWidget& window, int context);
void SetHelpKey(QWidget& window, std::function<int()> context);
