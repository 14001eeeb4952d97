// Printing: the print settings of a window with the dialog that asks for them, and the line-oriented
// printer text device that writes lines of text onto any paint device (a printer, a PDF writer, an image).
#pragma once

#include <QFontMetrics>
#include <QObject>
#include <QPainter>
#include <QPrinter>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPaintDevice;
class TPrinterText;

// Lays out a listing, from its first line to its last, on an open printer text device.
using TListingWriter = std::function<void(TPrinterText&)>;

// The printer of a window and its print dialog. The dialog itself is shown by the dialog service; the
// printer keeps the user's choice from one print to the next.
class TPrintDialog : public QObject {
    Q_OBJECT
public:
    explicit TPrintDialog(QObject* owner);
    ~TPrintDialog() override;
    // Shows the print dialog; false when the user cancels it.
    bool Execute();
    // Shows the print dialog and prints the listing as chosen there (PrintPages); false when cancelled.
    bool Print(const TListingWriter& listing);
    QPrinter& Printer();

private:
    std::unique_ptr<QPrinter> FPrinter;
};

// Prints the listing on printer: only the pages of the range chosen in the print dialog, if one was. A
// printer that makes copies itself gets the listing once; for one that cannot (a PDF file) the listing is
// repeated, whole, as many times as copies were asked for.
void PrintPages(QPrinter& printer, const TListingWriter& listing);
// Lays out every page of the listing once on printer in a preview's hands; no job is counted as printed.
void PreviewPages(QPrinter& printer, const TListingWriter& listing);

// One piece of text as drawn, in UTF-8, with its left edge in device pixels.
struct TPrintedPiece {
    std::string Text;
    int X = 0;
};

// One line as laid out: its page (from 1), its top and the height its line end advanced by.
struct TPrintedLine {
    int Page = 1;
    int Y = 0;
    int Height = 0;
    std::vector<TPrintedPiece> Pieces;
    // The pieces joined.
    std::string Text() const;
};

// Lines of text on a paint device, from the top left corner of its printable area down, a page at a time,
// without headers. Every failure is thrown as an Exception; a job left unclosed is abandoned.
class TPrinterText {
public:
    // A print job is counted and its layout kept (LastPrintedLines); a preview's is not.
    enum class TJob { Print, Preview };
    explicit TPrinterText(QPaintDevice& device, TJob job = TJob::Print);
    ~TPrinterText();
    TPrinterText(const TPrinterText&) = delete;
    TPrinterText& operator=(const TPrinterText&) = delete;

    // Only pages first to last (from 1; 0 for last: to the end) are put on the device; the others are laid
    // out all the same, so every page holds the lines it would hold in the whole listing. Set before Open.
    void SetPageRange(int first, int last);
    // Starts the job at x = 0, y = 0 of the first page.
    void Open();
    void SetFont(const std::string& name, int points);
    void SetFontSize(int points);
    // Draws text at the current position; what does not fit on the line continues on the next one.
    void Write(const std::string& text);
    // Ends the line: the next one starts below it, or at the top of a new page.
    void WriteLn(const std::string& text = {});
    // Begins the listing again on a new page, as page 1 of another copy.
    void NewCopy();
    // Ends the job; the platform then prints it. When no page lay in the range, no job was started and
    // that is reported.
    void Close();

    // The lines put on the device, each with its page in the listing.
    const std::vector<TPrintedLine>& Lines() const { return FLines; }

private:
    bool PageInRange() const { return FPage >= FFirstPage && (FLastPage == 0 || FPage <= FLastPage); }
    void BeginPage();
    QFontMetrics Metrics() const;
    void DrawPiece(const QString& piece);
    void KeepLine();
    void EndLine();
    void NewPage();
    [[noreturn]] void Fail(const std::string& what) const;

    QPaintDevice& FDevice;
    TJob FJob;
    QPainter FPainter;
    QFont FFont;
    int FX = 0;
    int FY = 0;
    int FPage = 1;
    int FFirstPage = 1;
    int FLastPage = 0;
    int FPagesPut = 0;   // pages begun on the device
    int FLineHeight = 0; // tallest piece on the line plus 2; 0 while nothing was drawn
    TPrintedLine FLine;
    std::vector<TPrintedLine> FLines;
};

// The layout of the last job closed, kept so that a caller (a test) can see what was printed.
const std::vector<TPrintedLine>& LastPrintedLines();
// How many jobs were closed in this run.
int PrintedJobs();
