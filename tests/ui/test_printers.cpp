// The printer text device on an image: where pieces land, how long pieces wrap, line heights and pages.
#include "platform/Printers.h"

#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QFontMetrics Metrics(QPaintDevice& device, int points) {
    QFont font("Courier New", points);
    font.setStyleHint(QFont::TypeWriter);
    return QFontMetrics(font, &device);
}

} // namespace

TEST(PrinterText, PiecesFollowEachOtherAndWrapAfterTheLastCharacterThatFits) {
    QImage image(400, 1000, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QFontMetrics metrics = Metrics(image, 12);
    // The most characters a line of "ab" and x's holds.
    int perLine = 2;
    while (metrics.horizontalAdvance(QString("ab") + QString(perLine - 1, 'x')) <= 400)
        ++perLine;
    TPrinterText printer(image);
    printer.Open();
    printer.SetFont("Courier New", 12);
    printer.WriteLn();
    printer.Write("ab");
    printer.WriteLn(std::string(perLine, 'x'));
    printer.Close();

    const auto& lines = printer.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Text(), "");
    EXPECT_EQ(lines[0].Height, metrics.height());
    EXPECT_EQ(lines[1].Text(), "ab" + std::string(perLine - 2, 'x'));
    EXPECT_EQ(lines[1].Pieces.at(1).X, metrics.horizontalAdvance("ab"));
    EXPECT_EQ(lines[1].Y, metrics.height());
    EXPECT_EQ(lines[1].Height, metrics.height() + 2);
    EXPECT_EQ(lines[2].Text(), "xx");
    EXPECT_EQ(lines[2].Pieces.at(0).X, 0);
    EXPECT_EQ(lines[2].Y, 2 * metrics.height() + 2);
    auto inked = [&image](const TPrintedLine& line) {
        int count = 0;
        for (int y = line.Y; y < line.Y + line.Height; ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixel(x, y) != QColor(Qt::white).rgb();
        return count;
    };
    EXPECT_EQ(inked(lines[0]), 0);
    EXPECT_GT(inked(lines[1]), 0);
}

TEST(PrinterText, ANewPageBeginsWhenTheNextLineCouldPassThePageEnd) {
    QImage image(400, 300, QImage::Format_RGB32);
    const int h = Metrics(image, 10).height();
    TPrinterText printer(image);
    printer.Open();
    printer.SetFont("Courier New", 10);
    for (int i = 0; i < 20; ++i)
        printer.WriteLn("line");
    for (int i = 0; i < 20; ++i)
        printer.WriteLn();
    printer.Close();

    const auto& lines = printer.Lines();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const TPrintedLine& prev = lines[i - 1];
        const int next = prev.Y + prev.Height;
        const int limit = prev.Text().empty() ? 300 : 300 - 2 * prev.Height;
        if (next > limit) {
            EXPECT_EQ(lines[i].Page, prev.Page + 1) << i;
            EXPECT_EQ(lines[i].Y, 0) << i;
        } else {
            EXPECT_EQ(lines[i].Page, prev.Page) << i;
            EXPECT_EQ(lines[i].Y, next) << i;
        }
    }
    EXPECT_GE(lines.back().Page, 3);
    EXPECT_EQ(lines[20].Height, h);
}
