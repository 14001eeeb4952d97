// Printing: the print settings of a window with the dialog that asks for them, and the line-oriented
// printer text device that writes lines of text onto any paint device (a printer, a PDF writer, an image).
#pragma once

#include <QObject>
#include <QPainter>
#include <QPrinter>

#include <memory>
#include <string>
#include <vector>

class QPaintDevice;

// The printer of a window and its print dialog. The dialog itself is shown by the dialog service; the
// printer keeps the user's choice from one print to the next.
class TPrintDialog : public QObject {
    Q_OBJECT
public:
    explicit TPrintDialog(QObject* owner);
    ~TPrintDialog() override;
    // Shows the print dialog; false when the user cancels it.
    bool Execute();
    QPrinter& Printer();

private:
    std::unique_ptr<QPrinter> FPrinter;
};

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
    explicit TPrinterText(QPaintDevice& device);
    ~TPrinterText();
    TPrinterText(const TPrinterText&) = delete;
    TPrinterText& operator=(const TPrinterText&) = delete;

    // Starts the job at x = 0, y = 0 of the first page.
    void Open();
    void SetFont(const std::string& name, int points);
    void SetFontSize(int points);
    // Draws text at the current position; what does not fit on the line continues on the next one.
    void Write(const std::string& text);
    // Ends the line: the next one starts below it, or at the top of a new page.
    void WriteLn(const std::string& text = {});
    // Ends the job; the platform then prints it.
    void Close();

    const std::vector<TPrintedLine>& Lines() const { return FLines; }

private:
    void DrawPiece(const QString& piece);
    void EndLine();
    void NewPage();
    [[noreturn]] void Fail(const std::string& what) const;

    QPaintDevice& FDevice;
    QPainter FPainter;
    QFont FFont;
    int FX = 0;
    int FY = 0;
    int FPage = 1;
    int FLineHeight = 0; // tallest piece on the line plus 2; 0 while nothing was drawn
    TPrintedLine FLine;
    std::vector<TPrintedLine> FLines;
};

// The layout of the last job closed, kept so that a caller (a test) can see what was printed.
const std::vector<TPrintedLine>& LastPrintedLines();
// How many jobs were closed in this run.
int PrintedJobs();
