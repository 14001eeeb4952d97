// The bars behind the cost shares of the price analysis, measured on the painted grid.
#include "controls/Grids.h"
#include "controls/StdCtrls.h"
#include "forms/MAIN.h"
#include "forms/Unit5.h"
#include "tests/support/ui/ProgramFixture.h"
#include "text/StrMan.h"

#include <QImage>

namespace {

class ShareBarsTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase();
        RunSql("INSERT INTO Materials (Comp_ID, Component, Price) VALUES (1, 'ETHANOL', 2.0), (2, 'ANETHOLE', 0.75),"
               " (3, 'SUGAR', 1.0);"
               "INSERT INTO Products (Prod_ID, Product) VALUES (1, 'BLEND');"
               "INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) VALUES (1, 1, 60), (1, 2, 40), (1, 3, 15);");
        StartProgram();
    }
};

// The length of the bar drawn in a cell of the shares column: the run of pixels, along a line through the
// bar above the number, that differ from the cell's background.
int BarLength(const QImage& image, const TStringGrid& grid, int row) {
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, 2));
    const QRgb background = image.pixel(cell.right() - 1, cell.top() + 1);
    int length = 0;
    for (int x = cell.left(); x < cell.right(); ++x)
        length += image.pixel(x, cell.top() + 3) != background;
    return length;
}

TEST_F(ShareBarsTest, BarsAreAsLongAsTheSharesAndTheNumbersStay) {
    dialogs.Scripts["Form5"] = [](QDialog&) {
        TStringGrid& grid = *Form5->StringGrid1;
        QPalette palette = grid.palette();
        palette.setColor(QPalette::Base, Qt::white);
        palette.setColor(QPalette::Highlight, Qt::blue);
        grid.setPalette(palette);
        Form5->ComboBox1->setCurrentIndex(Form5->ComboBox1->findText("BLEND"));
        // The shares as the cells show them (the cell texts are the window's, whatever their rounding).
        std::vector<double> shares;
        for (const std::string& cell : ProgramFixture::Column(grid, 2))
            shares.push_back(ParseNumber(StringManager.CommaToPoint(cell)).Value);
        ASSERT_EQ(shares.size(), 3u);
        EXPECT_NEAR(shares[0], 72.73, 0.01);
        // A component without a price may leave its share empty: no bar then.
        grid.SetCells(2, 3, "");
        grid.Sync();
        const QImage image = grid.viewport()->grab().toImage();
        const int full = grid.visualRect(grid.model()->index(0, 2)).width() - 2;
        EXPECT_NEAR(BarLength(image, grid, 1), full * shares[0] / 100, 1.0);
        EXPECT_NEAR(BarLength(image, grid, 2), full * shares[1] / 100, 1.0);
        EXPECT_EQ(BarLength(image, grid, 3), 0);
        const QColor bar = image.pixelColor(grid.visualRect(grid.model()->index(0, 2)).left() + 2,
                                            grid.visualRect(grid.model()->index(0, 2)).top() + 3);
        EXPECT_GT(bar.blue(), bar.red() + 40) << "the highlight colour, faint";
        EXPECT_GT(bar.red(), 100);
    };
    Form1->PriceAnalysis->trigger();
    Settle();
}

} // namespace
