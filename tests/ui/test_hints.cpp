// Balloon hints and the status bar: the placement and shape rules, the tooltip balloon, the message
// balloon after a new product, and the status bar's painting.
#include "controls/Grids.h"
#include "controls/Hints.h"
#include "controls/StatusBar.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QHelpEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>

namespace {

const QRect Desktop(0, 0, 1000, 800);
const QSize Size(120, 40);

THintPosition Place(THintPosition preferred, int x, int y) {
    return PlaceBalloon(preferred, {x, y}, Size, Desktop);
}

TEST(BalloonRules, ABalloonNearAnEdgeFlipsInTheCyclicOrder) {
    // The message balloon prefers below-left of its point.
    EXPECT_EQ(Place(hpBelowLeft, 500, 400), hpBelowLeft);
    EXPECT_EQ(Place(hpBelowLeft, 50, 400), hpBelowRight) << "left edge";
    EXPECT_EQ(Place(hpBelowLeft, 500, 790), hpAboveLeft) << "bottom edge";
    EXPECT_EQ(Place(hpBelowLeft, 50, 790), hpAboveRight) << "bottom-left corner";
    EXPECT_EQ(Place(hpBelowLeft, 990, 790), hpAboveLeft) << "bottom-right corner";
    // Tooltips prefer below-right of the mouse cursor.
    EXPECT_EQ(Place(hpBelowRight, 500, 400), hpBelowRight);
    EXPECT_EQ(Place(hpBelowRight, 950, 400), hpAboveLeft) << "right edge: on to above-left";
    EXPECT_EQ(Place(hpBelowRight, 500, 20), hpBelowRight) << "top edge";
    EXPECT_EQ(Place(hpBelowRight, 950, 20), hpBelowLeft) << "top-right corner";
    EXPECT_EQ(Place(hpBelowRight, 20, 20), hpBelowRight) << "top-left corner";
    EXPECT_EQ(Place(hpAboveLeft, 20, 20), hpBelowRight) << "top-left corner, from above-left";
    EXPECT_EQ(PlaceBalloon(hpBelowRight, {500, 400}, {2000, 40}, Desktop), hpBelowLeft)
        << "fits nowhere: the fourth try";

    EXPECT_EQ(BalloonTopLeft(hpAboveLeft, {500, 400}, Size), QPoint(379, 359));
    EXPECT_EQ(BalloonTopLeft(hpAboveRight, {500, 400}, Size), QPoint(501, 359));
    EXPECT_EQ(BalloonTopLeft(hpBelowLeft, {500, 400}, Size), QPoint(377, 401));
    EXPECT_EQ(BalloonTopLeft(hpBelowRight, {500, 400}, Size), QPoint(506, 401));
}

TEST(BalloonRules, TheNoseShapesMakeRoomForNoseCornersAndShadow) {
    EXPECT_EQ(BalloonSize({100, 26}, hsNoseRoundRect, 6), QSize(129, 50));
    EXPECT_EQ(BalloonSize({20, 13}, hsNoseRect, 6), QSize(75, 37)) << "at least 46 pixels for the text";
    EXPECT_EQ(BalloonSize({20, 13}, hsNoseEllipse, 0), QSize(69, 31));
    EXPECT_EQ(HintWrapWidth(-4, 1280), 320);
    EXPECT_EQ(HintWrapWidth(200, 1280), 200);

    // Below the point the nose rises from the body to the top corner nearest the point.
    const QSize size(129, 50);
    const QPainterPath right = BalloonShape(hsNoseRoundRect, hpBelowRight, size, 6);
    EXPECT_EQ(BalloonBody(hsNoseRoundRect, hpBelowRight, size, 6), QRect(0, 15, 123, 29));
    EXPECT_TRUE(right.contains(QPointF(2, 2)));
    EXPECT_FALSE(right.contains(QPointF(115, 5))) << "the band beside the nose stays empty";
    EXPECT_FALSE(right.contains(QPointF(126, 47))) << "the shadow is no part of the outline";
    const QPainterPath left = BalloonShape(hsNoseRoundRect, hpAboveLeft, size, 6);
    EXPECT_EQ(BalloonBody(hsNoseRoundRect, hpAboveLeft, size, 6), QRect(0, 0, 123, 29));
    EXPECT_TRUE(left.contains(QPointF(120, 41)));
    EXPECT_FALSE(left.contains(QPointF(3, 41)));
}

TEST(StatusBarRules, TheTextStaysInsideTheBevelAndLeftOfTheSizeGrip) {
    EXPECT_EQ(StatusTextArea({0, 0, 701, 19}, true), QRect(3, 3, 682, 13));
    EXPECT_EQ(StatusTextArea({0, 0, 701, 19}, false), QRect(3, 3, 695, 13));
}

class HintsTest : public ProgramFixture {
protected:
    void SetUp() override {
        CreateDatabase("Products.db3", true);
        StartProgram();
    }
    static TBalloonWindow* Message() { return Form1->MessageHint1->Balloon(); }
};

TEST_F(HintsTest, TheMessageAfterANewProductTakesTheNextClick) {
    TStringGrid& products = *Form1->StringGrid1;
    dialogs.TextAnswers = {std::string("new mix")};
    Trigger(Form1->NewProduct);
    ASSERT_NE(Message(), nullptr);
    TStringGrid& recipe = *Form1->StringGrid3;
    const QPoint centre = recipe.mapToGlobal(QPoint(recipe.width() / 2, recipe.height() / 2));
    EXPECT_EQ(Message()->Text, "Doubleclick in right grid on empty rows\n to enter components and masses.");
    EXPECT_EQ(Message()->Position, hpBelowLeft);
    EXPECT_EQ(Message()->geometry().topLeft(), centre + QPoint(-Message()->width() - 3, 1));
    EXPECT_FALSE(Message()->mask().isEmpty());

    const int row = products.Row();
    ClickRow(products, 1);
    EXPECT_EQ(Message(), nullptr);
    EXPECT_EQ(products.Row(), row) << "the click that closes the balloon does nothing else";
    ClickRow(products, 1);
    EXPECT_EQ(products.Row(), 1);

    // A key closes it and still does its work; a new message replaces the old one.
    Form1->MessageHint1->ShowControlHint("first", &recipe);
    Form1->MessageHint1->ShowControlHint("", &products);
    EXPECT_EQ(Message()->Text, "RightClick for Menu\nClick to display recipe") << "the control's own hint";
    products.setFocus();
    QTest::keyClick(&products, Qt::Key_Down);
    EXPECT_EQ(Message(), nullptr);
    EXPECT_EQ(products.Row(), 2);

    // A hidden control shows nothing.
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    Form1->MessageHint1->ShowControlHint("hidden", &products);
    EXPECT_EQ(Message(), nullptr);
}

TEST_F(HintsTest, EveryTooltipOfEveryWindowIsShownInTheBalloon) {
    const auto tip = [](QWidget* widget, QPoint at) {
        QHelpEvent event(QEvent::ToolTip, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
        return Form1->ShapeHint1->Balloon();
    };
    TStringGrid& products = *Form1->StringGrid1;
    TBalloonWindow* balloon = tip(products.viewport(), {50, 60});
    ASSERT_NE(balloon, nullptr);
    EXPECT_EQ(balloon->Text, "RightClick for Menu\nClick to display recipe");
    EXPECT_EQ(balloon->Position, hpBelowRight);
    EXPECT_EQ(balloon->geometry().topLeft(), products.viewport()->mapToGlobal(QPoint(50, 60)) + QPoint(6, 1));
    EXPECT_FALSE(QToolTip::isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&products, &leave);
    EXPECT_EQ(Form1->ShapeHint1->Balloon(), nullptr);

    dialogs.Scripts["Mat"] = [&](QDialog&) {
        TBalloonWindow* post = tip(Mat->PostBtn, {5, 5});
        ASSERT_NE(post, nullptr);
        EXPECT_EQ(post->Text, "Write data to the database.");
    };
    Trigger(Form1->NewComponent);
}

TEST_F(HintsTest, AnEqualStatusTextDoesNotRepaintTheBar) {
    struct PaintCounter : QObject {
        int Count = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            Count += event->type() == QEvent::Paint;
            return false;
        }
    } barPaints, probePaints;
    // A window paints everything due in one pass: once a probe far from the bar has painted its update, any
    // repaint the bar asked for before it has been painted as well.
    QWidget probe(Form1);
    probe.setGeometry(0, 0, 4, 4);
    probe.show();
    probe.installEventFilter(&probePaints);
    const auto paintWhatIsDue = [&] {
        const int before = probePaints.Count;
        probe.update();
        return QTest::qWaitFor([&] { return probePaints.Count > before; });
    };
    TBevelStatusBar& bar = *Form1->BevelStatusBar1;
    bar.installEventFilter(&barPaints);
    ASSERT_TRUE(paintWhatIsDue());

    barPaints.Count = 0;
    bar.SetSimpleText(bar.SimpleText());
    ASSERT_TRUE(paintWhatIsDue());
    EXPECT_EQ(barPaints.Count, 0);
    bar.SetSimpleText("Mode: testing\tdone");
    EXPECT_TRUE(QTest::qWaitFor([&] { return barPaints.Count > 0; }));
    EXPECT_EQ(bar.SimpleText(), "Mode: testing\tdone");
}

} // namespace
