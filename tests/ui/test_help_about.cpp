// Context help through the help viewer, the help file the program ships, and the About box's mail link.
#include "BuildConfig.h"
#include "controls/Grids.h"
#include "controls/PosFloatEdit.h"
#include "controls/StdCtrls.h"
#include "controls/URLLink.h"
#include "forms/About.h"
#include "forms/MAIN.h"
#include "forms/MatUnit.h"
#include "forms/RecUnit.h"
#include "platform/Application.h"
#include "platform/HelpViewer.h"
#include "tests/support/ui/ProgramFixture.h"

#include <QEnterEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

const fs::path Shipped = fs::path(BRIVANE_SOURCE_DIR) / "resources" / "BRIVANE.HLP";

class HelpTest : public ProgramFixture {
protected:
    void TearDown() override {
        SetProgramDirectory({});
        Application.HelpFile.clear();
        ProgramFixture::TearDown();
    }
    // The help file in the current directory under the name given.
    void PutHelpFile(const std::string& name) { fs::copy_file(Shipped, dir.Path() / name); }
    // The viewer's answer to the last request.
    static const THelpViewer& Viewer() { return *HelpViewer(); }
    static void Key(QWidget* widget, Qt::Key key) {
        widget->setFocus();
        QTest::keyClick(widget, key);
    }
};

TEST_F(HelpTest, TheShippedFileHasATopicForEveryContext) {
    PutHelpFile("BRIVANE.HLP");
    const std::map<int, std::string> titles = {
        {3, "The main window"},  {4, "Components"},     {5, "Component reports"},
        {6, "The product list"}, {7, "Recipes"},        {8, "Price analysis"},
        {9, "Price history"},    {10, "Price impact"},  {11, "Importing a price list"},
        {12, "Backups"},         {13, "Raw materials"}, {14, "Where a component is used"}};
    for (const auto& [ctx, title] : titles) {
        ShowHelp("BRIVANE.HLP", ctx);
        EXPECT_EQ(Viewer().Message(), "") << ctx;
        EXPECT_EQ(Viewer().TopicTitle(), title);
        EXPECT_GT(Viewer().TopicText().size(), 1000u) << title << " says too little";
    }
    EXPECT_EQ(Viewer().Contexts(), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    // The messages a user may meet are explained where they meet them.
    ShowHelp("BRIVANE.HLP", 4);
    EXPECT_NE(Viewer().TopicText().find("Component is already present in the Components table."), std::string::npos);
    ShowHelp("BRIVANE.HLP", 7);
    EXPECT_NE(Viewer().TopicText().find("Please, select or create a product first (Left Grid)"), std::string::npos);

    ShowHelp("BRIVANE.HLP", 15);
    EXPECT_EQ(Viewer().Message(),
              "The help file \"" + (dir.Path() / "BRIVANE.HLP").string() + "\" has no topic for context 15.");
}

TEST_F(HelpTest, TheFileIsFoundByAnyLetterCaseThenBesideTheProgramThenInItsDataFolder) {
    PutHelpFile("brivane.hlp");
    ShowHelp("Brivane.HLP", 6);
    EXPECT_EQ(Viewer().FoundFile(), (dir.Path() / "brivane.hlp").string());
    EXPECT_EQ(Viewer().TopicTitle(), "The product list");

    // Without a copy in the current directory: the installed one, beside the program first.
    fs::remove(dir.Path() / "brivane.hlp");
    // The data folder lies where this build installs it, usually prefix/share/brivane.
    const fs::path prefix = dir.Path() / "prefix";
    const fs::path data = (prefix / "bin" / InstalledDataFolder).lexically_normal();
    fs::create_directories(prefix / "bin");
    fs::create_directories(data);
    fs::copy_file(Shipped, data / "BRIVANE.HLP");
    SetProgramDirectory((prefix / "bin").string());
    ShowHelp("Brivane.HLP", 4);
    EXPECT_EQ(fs::path(Viewer().FoundFile()), data / "BRIVANE.HLP");
    EXPECT_EQ(Viewer().TopicTitle(), "Components");
    fs::copy_file(Shipped, prefix / "bin" / "BRIVANE.HLP");
    EXPECT_EQ(fs::path(FindHelpFile("Brivane.HLP")), prefix / "bin" / "BRIVANE.HLP");

    // Nowhere: the viewer says so instead of a topic.
    SetProgramDirectory((dir.Path() / "nowhere").string());
    ShowHelp("Brivane.HLP", 4);
    EXPECT_EQ(Viewer().FoundFile(), "");
    EXPECT_EQ(Viewer().Message().rfind("The help file \"Brivane.HLP\" was not found", 0), 0u) << Viewer().Message();
    EXPECT_TRUE(HelpViewer()->isVisible());
}

TEST_F(HelpTest, SpecialOrHugeHelpFilesAndPicturesAreRefusedWithoutBlocking) {
    const auto refused = [this](const std::string& name, const std::string& why) {
        ShowHelp("Brivane.HLP", 4);
        EXPECT_EQ(Viewer().Message(),
                  "The help file \"" + (dir.Path() / name).string() + "\" " + why + ", so no help can be shown.");
        EXPECT_EQ(Viewer().TopicTitle(), "");
        fs::remove(name);
    };
    fs::create_symlink("/dev/zero", "brivane.hlp");
    refused("brivane.hlp", "is not a regular file");
    ASSERT_EQ(mkfifo("BRIVANE.HLP", 0644), 0);
    refused("BRIVANE.HLP", "is not a regular file");
    std::ofstream("BRIVANE.HLP").close();
    fs::resize_file("BRIVANE.HLP", HelpFileLimit + 1);
    refused("BRIVANE.HLP", "is larger than 16 MB");

    // A topic's pictures come only from regular files beside the help file, of 4 MB at most.
    QImage(4, 3, QImage::Format_RGB32).save(QString::fromStdString((dir.Path() / "icon.png").string()));
    ASSERT_EQ(mkfifo("fifo.png", 0644), 0);
    fs::create_symlink("/dev/zero", "zero.png");
    std::ofstream("big.png").close();
    fs::resize_file("big.png", HelpResourceLimit + 1);
    std::ofstream("BRIVANE.HLP") << "<section id=\"context-4\"><h1>Pictures</h1><img src=\"fifo.png\">"
                                    "<img src=\"zero.png\"><img src=\"big.png\"><img src=\"/etc/hostname\">"
                                    "<img src=\"icon.png\"></section>";
    ShowHelp("Brivane.HLP", 4);
    EXPECT_EQ(Viewer().TopicTitle(), "Pictures");
    QTextDocument& document = *Viewer().Browser->document();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return !qvariant_cast<QImage>(document.resource(QTextDocument::ImageResource, QUrl("icon.png"))).isNull();
    }));
    const auto loaded = [](const char* name) {
        return qvariant_cast<QImage>(Viewer().Browser->loadResource(QTextDocument::ImageResource, QUrl(name))).size();
    };
    for (const char* name : {"fifo.png", "zero.png", "big.png", "/etc/hostname", "file:///etc/hostname"})
        EXPECT_EQ(loaded(name), QSize(1, 1)) << name << " is left out";
    EXPECT_EQ(loaded("icon.png"), QSize(4, 3));
}

TEST_F(HelpTest, EveryHelpCommandAsksForItsContextAndFile) {
    CreateDatabase("Products.db3", true);
    PutHelpFile("BRIVANE.HLP");
    StartProgram();
    EXPECT_EQ(HelpViewer(), nullptr) << "no help before it is asked for";
    Trigger(Form1->HelpIndex);
    EXPECT_EQ(Application.LastHelpContext, 6) << "the first recipe display replaced the 3 of creation";
    EXPECT_EQ(Application.LastHelpFile, "BRIVANE.HLP");
    EXPECT_EQ(Viewer().TopicTitle(), "The product list");
    EXPECT_FALSE(HelpViewer()->isModal());

    // F1: the grid's own context, else the window's current one.
    Form1->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    Key(Form1->StringGrid3, Qt::Key_F1);
    EXPECT_EQ(Application.LastHelpContext, 7);
    Key(Form1->Refresh1, Qt::Key_F1);
    EXPECT_EQ(Application.LastHelpContext, 6);
    Key(Form1->StringGrid1, Qt::Key_F1);
    EXPECT_EQ(Application.LastHelpContext, 6);
    // F1 on an open menu's highlighted item: the window's current context, and the menu closes.
    Form1->HelpContext = 7;
    for (QMenu* menu : {Form1->Recipes1, Form1->ProductMenu}) {
        Application.LastHelpContext = -1;
        menu->popup(Form1->mapToGlobal(QPoint(20, 20)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        menu->setActiveAction(menu->actions().at(0));
        QTest::keyClick(menu, Qt::Key_F1);
        EXPECT_EQ(Application.LastHelpContext, 7) << menu->objectName().toStdString();
        EXPECT_FALSE(menu->isVisible());
    }
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    Trigger(Form1->HelpIndex);
    EXPECT_EQ(Application.LastHelpContext, 4);
    Form1->HelpContext = 3;
    Key(Form1->StringGrid2, Qt::Key_F1);
    EXPECT_EQ(Application.LastHelpContext, 4);
    EXPECT_EQ(Viewer().TopicTitle(), "Components");

    // The dialogs' Help buttons. Help from a modal dialog belongs to it, so the dialog does not block it.
    Application.LastHelpContext = -1;
    dialogs.Scripts["Mat"] = [](QDialog&) {
        QTest::mouseClick(Mat->HelpBtn, Qt::LeftButton);
        EXPECT_EQ(HelpViewer()->parentWidget(), Mat);
    };
    Trigger(Form1->NewComponent);
    EXPECT_EQ(Application.LastHelpContext, 4);
    EXPECT_EQ(Application.LastHelpFile, "BRIVANE.HLP");
    EXPECT_EQ(Application.HelpFile, "") << "the dialog's own file leaves the application's alone";
    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    dialogs.Scripts["Rec"] = [](QDialog&) { QTest::mouseClick(Rec->HelpBtn, Qt::LeftButton); };
    Trigger(Form1->AddComponent1);
    EXPECT_EQ(Application.LastHelpContext, 7);
    EXPECT_EQ(Application.HelpFile, "BRIVANE.HLP");

    // The reports and price-analysis windows ask the same way for 5 and 8.
    for (const auto& [ctx, title] : {std::pair{5, "Component reports"}, std::pair{8, "Price analysis"}}) {
        Application.HelpFile = "BRIVANE.HLP";
        Application.HelpContext(ctx);
        EXPECT_EQ(Viewer().TopicTitle(), title);
    }
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(HelpTest, F1InEveryWindowWithAHelpButtonAsksForItsOwnTopic) {
    CreateDatabase("Products.db3", true);
    PutHelpFile("BRIVANE.HLP");
    StartProgram();
    std::map<std::string, int> asked;
    const auto f1 = [&asked](QDialog& window) {
        Application.LastHelpContext = -1;
        // The window in front, as the window manager makes it; the test platform leaves a window opened from
        // another modal one inactive.
        QApplication::setActiveWindow(&window);
        QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, Qt::Key_F1);
        asked[window.objectName().toStdString()] = Application.LastHelpContext;
    };
    for (const char* name :
         {"Mat", "PriceHistory", "PriceImpact", "Rec", "Form4", "Form5", "Backups", "RawMaterials", "WhereUsed"})
        dialogs.Scripts[name] = f1;
    dialogs.Scripts["Mat"] = [&f1](QDialog& window) {
        f1(window);
        Mat->HistoryBtn->click();
        Mat->PriceEdit->setText("123");
        Mat->ImpactBtn->click();
    };
    Form1->PageControl1->setCurrentWidget(Form1->COMPONENTS);
    Settle();
    Trigger(Form1->RenameComponent);
    Trigger(Form1->Reports);
    Trigger(Form1->WhereUsed);
    Form1->PageControl1->setCurrentWidget(Form1->PRODUCTS);
    Settle();
    Trigger(Form1->AddComponent1);
    Trigger(Form1->PriceAnalysis);
    Trigger(Form1->RestoreBackup);
    Trigger(Form1->RawMaterials);
    std::map<std::string, int> expected{{"Mat", 4},      {"PriceHistory", 9},  {"PriceImpact", 10},
                                        {"Rec", 7},      {"Form4", 5},         {"Form5", 8},
                                        {"Backups", 12}, {"RawMaterials", 13}, {"WhereUsed", 14}};
    // A server's backups are made on the server: no Backups window opens there.
    if (OnServer())
        expected.erase("Backups");
    EXPECT_EQ(asked, expected);
}

TEST_F(HelpTest, TheHelpWindowOpensOverTheMainWindowWhollyOnTheScreen) {
    CreateDatabase();
    PutHelpFile("BRIVANE.HLP");
    StartProgram();
    const QRect screen = Form1->screen()->availableGeometry();
    // With room around it, centred on the main window, also when a modal dialog asks.
    Form1->move(40, 50);
    dialogs.Scripts["Mat"] = [](QDialog&) { QTest::mouseClick(Mat->HelpBtn, Qt::LeftButton); };
    Trigger(Form1->NewComponent);
    const QRect help = HelpViewer()->frameGeometry();
    EXPECT_TRUE(screen.contains(help)) << help.x() << "," << help.y();
    EXPECT_LE((help.center() - Form1->frameGeometry().center()).manhattanLength(), 1);
    // Over a main window in the screen's corner, moved onto the screen whole, its title bar first.
    HelpViewer()->close();
    Form1->move(screen.right() - 100, screen.bottom() - 100);
    Trigger(Form1->HelpIndex);
    EXPECT_TRUE(screen.contains(HelpViewer()->frameGeometry()));
    EXPECT_TRUE(HelpViewer()->frameGeometry().intersects(Form1->frameGeometry()));
}

class AboutTest : public ProgramFixture {};

TEST_F(AboutTest, TheMailLinkChangesItsLookOnlyWhileTheMouseIsOverItAndOpensItsAddress) {
    CreateDatabase();
    StartProgram();
    dialogs.Scripts["Form3"] = [this](QDialog& about) {
        EXPECT_EQ(about.windowTitle(), "Info");
        TURLLink& link = *Form3->URLLink;
        EXPECT_EQ(link.Link(), "mailto:info@example.org");
        EXPECT_EQ(link.text(), " info@example.org ");
        int entered = 0, left = 0;
        link.OnMouseEnter = [&] { ++entered; };
        link.OnMouseLeave = [&] { ++left; };
        const TFontLook normal = link.Look();
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), link.mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(&link, &enter);
        EXPECT_EQ(link.Look(), link.FocusFont());
        EXPECT_NE(link.Look(), normal);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&link, &leave);
        EXPECT_EQ(link.Look(), normal);
        EXPECT_EQ(link.font().pixelSize(), 13);
        EXPECT_EQ(entered, 1);
        EXPECT_EQ(left, 1);

        QTest::mouseClick(&link, Qt::LeftButton);
        EXPECT_EQ(dialogs.OpenedUrls, std::vector<std::string>{"mailto:info@example.org"});
        link.SetLink("");
        QTest::mouseClick(&link, Qt::LeftButton);
        EXPECT_EQ(dialogs.OpenedUrls, std::vector<std::string>{"mailto:info@example.org"})
            << "an empty link opens nothing";
        link.SetLink("mailto:info@example.org");

        QTest::mouseClick(Form3->Button1, Qt::LeftButton);
        EXPECT_FALSE(about.isVisible());
    };
    Trigger(Form1->About);
    EXPECT_EQ(dialogs.Shown, std::vector<std::string>{"Form3"});
    EXPECT_FALSE(Form3->Image1->pixmap().isNull());
}

TEST_F(AboutTest, ALineBelowTheVersionTellsWhereTheDataIs) {
    CreateDatabase();
    StartProgram();
    const std::string file = (dir.Path() / "Products.db3").string();
    dialogs.Scripts["Form3"] = [&file](QDialog& about) {
        const auto* where = about.findChild<QLabel*>("DatabaseLabel");
        ASSERT_TRUE(where);
        EXPECT_EQ(where->accessibleName(), where->text());
        if (OnServer()) {
            // "DATABASE on HOST port PORT, PostgreSQL 15.x", never a password.
            const std::string connection = ServerConnection();
            const std::string name = connection.substr(connection.rfind("dbname=") + 7);
            EXPECT_TRUE(where->toolTip().startsWith(QString::fromStdString(name + " on ")))
                << where->toolTip().toStdString();
            EXPECT_TRUE(where->text().contains(", PostgreSQL 15")) << where->text().toStdString();
        } else {
            EXPECT_EQ(where->toolTip().toStdString(), file);
            EXPECT_TRUE(where->text().endsWith("Products.db3")) << "a long path is shortened in its middle";
        }
        EXPECT_GT(where->y(), Form3->Label4->y());
        EXPECT_LE(where->fontMetrics().horizontalAdvance(where->text()), where->width());
    };
    Trigger(Form1->About);
}

} // namespace
