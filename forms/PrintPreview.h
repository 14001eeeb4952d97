// The window "Print preview": a printed list shown page by page as the printer will print it, with page
// navigation, zoom and a print command that prints exactly what is shown.
#pragma once

#include "platform/Printers.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPrintPreviewWidget;
class QPushButton;
class QSpinBox;
class QToolButton;

class TPrintPreview : public QDialog {
    Q_OBJECT
public:
    // Shows what listing lays out on the pages of the window's printer (dialog), with its paper and margins.
    TPrintPreview(TPrintDialog& dialog, TListingWriter listing, QWidget* parent = nullptr);

    QToolButton* FirstPageBtn;
    QToolButton* PriorPageBtn;
    QSpinBox* PageEdit;
    QLabel* PageCountLabel;
    QToolButton* NextPageBtn;
    QToolButton* LastPageBtn;
    QToolButton* ZoomOutBtn;
    QComboBox* ZoomBox;
    QToolButton* ZoomInBtn;
    QPushButton* PrintBtn;
    QPushButton* CloseBtn;
    QPrintPreviewWidget* Pages;

    int PageCount() const;
    int CurrentPage() const;
    void ShowPage(int page);
    // Zoom steps: the next larger or smaller entry of the zoom list.
    void ZoomInClick();
    void ZoomOutClick();
    // The print dialog, then the same listing printed; the window closes once it is printed.
    void PrintBtnClick();

private:
    void ZoomBoxChange(int index);
    void ShowZoom(double factor);
    void PagesChanged();

    TPrintDialog& FDialog;
    TListingWriter FListing;
};
