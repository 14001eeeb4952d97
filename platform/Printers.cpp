#include "Printers.h"

#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/SysUtils.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPrinter>

#include <algorithm>

namespace {

std::vector<TPrintedLine> LastLines;
int Jobs = 0;

// Where the job goes, in the user's words: the PDF file or the printer chosen in the dialog.
std::string Target(QPaintDevice& device) {
    const auto* printer = dynamic_cast<const QPrinter*>(&device);
    if (!printer)
        return "the page";
    if (printer->outputFormat() == QPrinter::PdfFormat) {
        if (printer->outputFileName().isEmpty())
            throw Exception("No printer is available and no file was chosen to print to");
        return FromQt(printer->outputFileName());
    }
    return "the printer " + FromQt(printer->printerName());
}

} // namespace

TPrintDialog::TPrintDialog(QObject* owner) : QObject(owner) {}

TPrintDialog::~TPrintDialog() = default;

bool TPrintDialog::Execute() {
    return ExecPrintDialog(Printer());
}

bool TPrintDialog::Print(const TListingWriter& listing) {
    if (!Execute())
        return false;
    PrintPages(Printer(), listing);
    return true;
}

QPrinter& TPrintDialog::Printer() {
    // Made on first use: asking the system for its printers can take a moment.
    if (!FPrinter)
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *FPrinter;
}

std::string TPrintedLine::Text() const {
    std::string text;
    for (const TPrintedPiece& piece : Pieces)
        text += piece.Text;
    return text;
}

TPrinterText::TPrinterText(QPaintDevice& device, TJob job) : FDevice(device), FJob(job) {}

TPrinterText::~TPrinterText() {
    if (!FPainter.isActive())
        return;
    if (auto* printer = dynamic_cast<QPrinter*>(&FDevice))
        printer->abort();
    FPainter.end();
}

void TPrinterText::SetPageRange(int first, int last) {
    FFirstPage = std::max(first, 1);
    FLastPage = last > 0 ? std::max(last, FFirstPage) : 0;
}

void TPrinterText::Open() {
    FX = FY = FLineHeight = 0;
    FPage = 1;
    FPagesPut = 0;
    FLine = {};
    FLines.clear();
    BeginPage();
}

void TPrinterText::BeginPage() {
    if (!PageInRange())
        return;
    // The job starts with the first page put on the device, so a range past the end of the listing starts
    // none; each further page put on it is a new one.
    if (FPagesPut == 0) {
        if (!FPainter.begin(&FDevice))
            Fail("Cannot print to ");
        FPainter.setFont(FFont);
        FPainter.setPen(Qt::black);
    } else {
        // A device without pages (an image) is drawn over from the top.
        auto* paged = dynamic_cast<QPagedPaintDevice*>(&FDevice);
        if (paged && !paged->newPage())
            Fail("Cannot begin a new page on ");
    }
    ++FPagesPut;
}

void TPrinterText::SetFont(const std::string& name, int points) {
    FFont = QFont(ToQt(name));
    // A fixed pitch keeps the columns when the system has no font of that name nor a substitute.
    FFont.setStyleHint(QFont::TypeWriter);
    SetFontSize(points);
}

void TPrinterText::SetFontSize(int points) {
    FFont.setPointSize(points);
    if (FPainter.isActive())
        FPainter.setFont(FFont);
}

void TPrinterText::Write(const std::string& text) {
    QString rest = ToQt(text);
    while (!rest.isEmpty()) {
        const QFontMetrics metrics = Metrics();
        const int room = FDevice.width() - FX;
        // The longest start of the piece that fits in the rest of the line.
        qsizetype fits = 0;
        for (qsizetype low = 1, high = rest.size(); low <= high;) {
            const qsizetype mid = (low + high) / 2;
            if (metrics.horizontalAdvance(rest.left(mid)) <= room) {
                fits = mid;
                low = mid + 1;
            } else {
                high = mid - 1;
            }
        }
        if (fits < rest.size() && fits > 0 && rest.at(fits - 1).isHighSurrogate())
            --fits;
        // A character wider than a whole line is drawn anyway rather than never.
        if (fits == 0 && FX == 0)
            fits = rest.size() > 1 && rest.at(0).isHighSurrogate() ? 2 : 1;
        if (fits > 0)
            DrawPiece(rest.left(fits));
        rest.remove(0, fits);
        if (!rest.isEmpty())
            EndLine();
    }
}

void TPrinterText::DrawPiece(const QString& piece) {
    const QFontMetrics metrics = Metrics();
    if (PageInRange()) {
        FPainter.drawText(QPoint(FX, FY + metrics.ascent()), piece);
        FLine.Pieces.push_back({FromQt(piece), FX});
    }
    FX += metrics.horizontalAdvance(piece);
    FLineHeight = std::max(FLineHeight, metrics.height() + 2);
}

QFontMetrics TPrinterText::Metrics() const {
    // The layout goes on before the job starts and between the pages put on the device, so it measures the
    // font on the device itself, as the painter does.
    return QFontMetrics(FFont, &FDevice);
}

void TPrinterText::WriteLn(const std::string& text) {
    Write(text);
    EndLine();
}

void TPrinterText::KeepLine() {
    FLine.Page = FPage;
    FLine.Y = FY;
    if (PageInRange())
        FLines.push_back(std::move(FLine));
    FLine = {};
}

void TPrinterText::EndLine() {
    const bool drawn = FLineHeight > 0;
    const int height = drawn ? FLineHeight : Metrics().height();
    FLine.Height = height;
    KeepLine();
    FX = 0;
    FY += height;
    FLineHeight = 0;
    if (FY > FDevice.height() - (drawn ? 2 * height : 0))
        NewPage();
}

void TPrinterText::NewPage() {
    ++FPage;
    FX = FY = 0;
    BeginPage();
}

void TPrinterText::NewCopy() {
    if (!FLine.Pieces.empty()) {
        FLine.Height = FLineHeight;
        KeepLine();
    }
    FPage = 1;
    FX = FY = FLineHeight = 0;
    BeginPage();
}

void TPrinterText::Close() {
    if (!FLine.Pieces.empty()) {
        FLine.Height = FLineHeight;
        KeepLine();
    }
    // Every page lies before the range: no job was started.
    if (FPagesPut == 0)
        throw Exception("Nothing was printed: the pages chosen begin at page " + std::to_string(FFirstPage) +
                        ", and the last page is page " + std::to_string(FPage));
    const auto* printer = dynamic_cast<const QPrinter*>(&FDevice);
    if (!FPainter.end() || (printer && printer->printerState() == QPrinter::Error))
        Fail("Cannot finish printing to ");
    if (FJob == TJob::Print) {
        LastLines = FLines;
        ++Jobs;
    }
}

void TPrinterText::Fail(const std::string& what) const {
    throw Exception(what + Target(FDevice));
}

const std::vector<TPrintedLine>& LastPrintedLines() {
    return LastLines;
}

int PrintedJobs() {
    return Jobs;
}

void PrintPages(QPrinter& printer, const TListingWriter& listing) {
    TPrinterText text(printer);
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0)
        text.SetPageRange(printer.fromPage(), printer.toPage());
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(printer.copyCount(), 1);
    text.Open();
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0)
            text.NewCopy();
        listing(text);
    }
    text.Close();
}

void PreviewPages(QPrinter& printer, const TListingWriter& listing) {
    TPrinterText text(printer, TPrinterText::TJob::Preview);
    text.Open();
    listing(text);
    text.Close();
}
