#include "PrintPreview.h"

#include "forms/DialogLayout.h"
#include "forms/WindowKit.h"
#include "platform/Application.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The zoom list: the two fitting modes, then sizes in percent of the printed page.
constexpr int FitWidthEntry = 0;
constexpr int WholePageEntry = 1;
constexpr int ZoomPercents[] = {25, 50, 75, 100, 125, 150, 200, 300, 400};

QToolButton* MakeIconButton(QWidget& parent, const char* name, const char* description, QStyle::StandardPixmap icon) {
    QToolButton* button = MakeToolButton(parent, name, description);
    button->setIcon(parent.style()->standardIcon(icon));
    return button;
}

} // namespace

TPrintPreview::TPrintPreview(TPrintDialog& dialog, TListingWriter listing, QWidget* parent)
    : QDialog(parent), FDialog(dialog), FListing(std::move(listing)) {
    // A page as tall as the screen allows, with room for the window's frame.
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1024, 768);
    SetupWindow(*this, "PrintPreview", "Print preview",
                {std::min(720, screen.width() - 40), std::min(900, screen.height() - 60)}, NoHelpContext);

    FirstPageBtn = MakeIconButton(*this, "FirstPageBtn", "First page", QStyle::SP_MediaSkipBackward);
    PriorPageBtn = MakeIconButton(*this, "PriorPageBtn", "Previous page", QStyle::SP_MediaSeekBackward);
    PageEdit = new QSpinBox(this);
    PageEdit->setObjectName("PageEdit");
    PageEdit->setAccessibleName("Page");
    PageEdit->setToolTip("Page");
    PageEdit->setKeyboardTracking(false);
    PageCountLabel = MakeLabel(*this, "PageCountLabel");
    NextPageBtn = MakeIconButton(*this, "NextPageBtn", "Next page", QStyle::SP_MediaSeekForward);
    LastPageBtn = MakeIconButton(*this, "LastPageBtn", "Last page", QStyle::SP_MediaSkipForward);
    ZoomOutBtn = MakeToolButton(*this, "ZoomOutBtn", "Zoom out");
    ZoomOutBtn->setText(QString(QChar(0x2212)));
    ZoomBox = new QComboBox(this);
    ZoomBox->setObjectName("ZoomBox");
    ZoomBox->setAccessibleName("Zoom");
    ZoomBox->setToolTip("Zoom");
    ZoomBox->addItem("Fit width");
    ZoomBox->addItem("Whole page");
    for (const int percent : ZoomPercents)
        ZoomBox->addItem(QString::number(percent) + "%", percent / 100.0);
    ZoomInBtn = MakeToolButton(*this, "ZoomInBtn", "Zoom in");
    ZoomInBtn->setText("+");
    PrintBtn = MakeButton(*this, "PrintBtn", "&Print..");
    CloseBtn = MakeCloseButton(*this);

    Pages = new QPrintPreviewWidget(&dialog.Printer(), this);
    Pages->setObjectName("Pages");
    Pages->setAccessibleName("Pages");
    Pages->fitToWidth();

    auto* tools = new QHBoxLayout;
    for (QWidget* control : std::initializer_list<QWidget*>{FirstPageBtn, PriorPageBtn, PageEdit, PageCountLabel,
                                                            NextPageBtn, LastPageBtn})
        tools->addWidget(control);
    tools->addSpacing(16);
    for (QWidget* control : std::initializer_list<QWidget*>{ZoomOutBtn, ZoomBox, ZoomInBtn})
        tools->addWidget(control);
    tools->addStretch(1);
    tools->addWidget(PrintBtn);
    tools->addWidget(CloseBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(Pages, 1);

    connect(Pages, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { Guarded([this, printer] { PreviewPages(*printer, FListing); }); });
    connect(Pages, &QPrintPreviewWidget::previewChanged, this, [this] { Guarded([this] { PagesChanged(); }); });
    ConnectButton(FirstPageBtn, [this] { ShowPage(1); });
    ConnectButton(PriorPageBtn, [this] { ShowPage(CurrentPage() - 1); });
    ConnectButton(NextPageBtn, [this] { ShowPage(CurrentPage() + 1); });
    ConnectButton(LastPageBtn, [this] { ShowPage(PageCount()); });
    connect(PageEdit, &QSpinBox::valueChanged, this, [this](int page) { Guarded([this, page] { ShowPage(page); }); });
    ConnectButton(ZoomOutBtn, [this] { ZoomOutClick(); });
    ConnectButton(ZoomInBtn, [this] { ZoomInClick(); });
    connect(ZoomBox, &QComboBox::activated, this,
            [this](int index) { Guarded([this, index] { ZoomBoxChange(index); }); });
    ConnectButton(PrintBtn, [this] { PrintBtnClick(); });
    PagesChanged();
}

int TPrintPreview::PageCount() const {
    return Pages->pageCount();
}

int TPrintPreview::CurrentPage() const {
    return Pages->currentPage();
}

void TPrintPreview::ShowPage(int page) {
    if (PageCount() > 0)
        Pages->setCurrentPage(std::clamp(page, 1, PageCount()));
    PagesChanged();
}

void TPrintPreview::PagesChanged() {
    const int count = PageCount();
    const int page = count > 0 ? CurrentPage() : 0;
    {
        const QSignalBlocker quiet(PageEdit);
        PageEdit->setRange(count > 0 ? 1 : 0, count);
        PageEdit->setValue(page);
    }
    PageCountLabel->setText("of " + QString::number(count));
    FirstPageBtn->setEnabled(page > 1);
    PriorPageBtn->setEnabled(page > 1);
    NextPageBtn->setEnabled(page < count);
    LastPageBtn->setEnabled(page < count);
    // In a fitting mode the size follows the window; the list names the mode.
    const QSignalBlocker quiet(ZoomBox);
    if (Pages->zoomMode() == QPrintPreviewWidget::FitToWidth)
        ZoomBox->setCurrentIndex(FitWidthEntry);
    else if (Pages->zoomMode() == QPrintPreviewWidget::FitInView)
        ZoomBox->setCurrentIndex(WholePageEntry);
}

void TPrintPreview::ZoomBoxChange(int index) {
    if (index == FitWidthEntry)
        Pages->fitToWidth();
    else if (index == WholePageEntry)
        Pages->fitInView();
    else
        ShowZoom(ZoomBox->itemData(index).toDouble());
}

void TPrintPreview::ShowZoom(double factor) {
    Pages->setZoomFactor(factor);
    const int index = ZoomBox->findData(factor);
    const QSignalBlocker quiet(ZoomBox);
    ZoomBox->setCurrentIndex(index);
}

void TPrintPreview::ZoomInClick() {
    // The size a page is shown at, as a share of its printed size, also in a fitting mode.
    const double shown = Pages->zoomFactor();
    for (const int percent : ZoomPercents)
        if (percent / 100.0 > shown * 1.01) {
            ShowZoom(percent / 100.0);
            return;
        }
}

void TPrintPreview::ZoomOutClick() {
    const double shown = Pages->zoomFactor();
    for (auto percent = std::rbegin(ZoomPercents); percent != std::rend(ZoomPercents); ++percent)
        if (*percent / 100.0 < shown * 0.99) {
            ShowZoom(*percent / 100.0);
            return;
        }
}

void TPrintPreview::PrintBtnClick() {
    if (FDialog.Print(FListing))
        accept();
}
