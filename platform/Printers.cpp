#include "Printers.h"

#include "platform/Dialogs.h"
#include "platform/QtText.h"
#include "text/SysUtils.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPrinter>

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

TPrinterText::TPrinterText(QPaintDevice& device) : FDevice(device) {}

TPrinterText::~TPrinterText() {
    if (!FPainter.isActive())
        return;
    if (auto* printer = dynamic_cast<QPrinter*>(&FDevice))
        printer->abort();
    FPainter.end();
}

void TPrinterText::Open() {
    if (!FPainter.begin(&FDevice))
        Fail("Cannot print to ");
    FPainter.setFont(FFont);
    FPainter.setPen(Qt::black);
    FX = FY = FLineHeight = 0;
    FPage = 1;
    FLine = {};
    FLines.clear();
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
        const QFontMetrics metrics = FPainter.fontMetrics();
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
    const QFontMetrics metrics = FPainter.fontMetrics();
    FPainter.drawText(QPoint(FX, FY + metrics.ascent()), piece);
    FLine.Pieces.push_back({FromQt(piece), FX});
    FX += metrics.horizontalAdvance(piece);
    FLineHeight = std::max(FLineHeight, metrics.height() + 2);
}

void TPrinterText::WriteLn(const std::string& text) {
    Write(text);
    EndLine();
}

void TPrinterText::EndLine() {
    const bool drawn = FLineHeight > 0;
    const int height = drawn ? FLineHeight : FPainter.fontMetrics().height();
    FLine.Page = FPage;
    FLine.Y = FY;
    FLine.Height = height;
    FLines.push_back(std::move(FLine));
    FLine = {};
    FX = 0;
    FY += height;
    FLineHeight = 0;
    if (FY > FDevice.height() - (drawn ? 2 * height : 0))
        NewPage();
}

void TPrinterText::NewPage() {
    // A device without pages (an image) is drawn over from the top.
    if (auto* paged = dynamic_cast<QPagedPaintDevice*>(&FDevice); paged && !paged->newPage())
        Fail("Cannot begin a new page on ");
    ++FPage;
    FX = FY = 0;
}

void TPrinterText::Close() {
    if (!FLine.Pieces.empty()) {
        FLine.Page = FPage;
        FLine.Y = FY;
        FLine.Height = FLineHeight;
        FLines.push_back(std::move(FLine));
        FLine = {};
    }
    const auto* printer = dynamic_cast<const QPrinter*>(&FDevice);
    if (!FPainter.end() || (printer && printer->printerState() == QPrinter::Error))
        Fail("Cannot finish printing to ");
    LastLines = FLines;
    ++Jobs;
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
