#include "Unit4.h"

#include "controls/ListBox.h"
#include "database/Database.h"
#include "database/Reports.h"
#include "forms/Common.h"
#include "forms/HelpContexts.h"
#include "platform/Application.h"
#include "text/TextFile.h"

#include <QHideEvent>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

TForm4* Form4 = nullptr;
std::vector<std::string> ReportLines;

namespace {
const char* const ReportFile = "Report.txt";
const char* const ListBoxFont = "MS Sans Serif";
// The columns of the running report's statement that hold names; the others are its own separators.
std::vector<int> ReportNameColumns;
} // namespace

// One report: what it shows in the status bar, how it sets up the list box, its statement and lines.
struct TForm4::TReport {
    const char* Status;
    int TabWidth; // 0: the font name is set instead, and the tab spacing stays as it was
    std::vector<std::string> Header;
    std::string Statement;
    std::vector<std::string> Footer;
    bool SaveFirst;
    // A name holding a tab or a line break would break the report's columns: those become blanks.
    std::vector<int> NameColumns = {0};
};

TForm4::TForm4() {
    SetupDialog(*this, "Form4", "Reports on starting materials (components)", {149, 114, 460, 446});
    ListBox1 = new TListBox(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setGeometry(8, 8, 433, 329);
    ListBox1->setAccessibleName("Report");
    ListBox1->SetItemHeight(13);
    ListBox1->SetTabWidth(150);
    Button2 = MakeDialogButton(this, "Button2", "Obsolete components in the Materials Table", {8, 344, 233, 25});
    Button5 = MakeDialogButton(this, "Button5", "List components in recipes", {240, 344, 145, 25});
    Button7 = MakeDialogButton(this, "Button7", "&Help", {384, 344, 57, 25});
    SetHint(*Button7, "Context sensitive help");
    Button1 = MakeDialogButton(this, "Button1", "Missing Prices in Materials Table", {8, 376, 185, 25});
    Button4 = MakeDialogButton(this, "Button4", "List components sorted by date", {192, 376, 177, 25});
    Button6 = MakeDialogButton(this, "Button6", "&Quit", {368, 376, 73, 25});
    StatusBar1 = MakeDialogStatusBar(this);
    StatusBar1->setGeometry(0, height() - 16, width(), 16);
    StatusBar1->showMessage("Reports on starting materials (components).");
    // Resized, the list takes the room; the buttons stay by the bottom right corner.
    MakeSizeable(*this);
    SetAnchors(*ListBox1, AnchorLeft | AnchorTop | AnchorRight | AnchorBottom);
    for (QPushButton* button : {Button2, Button5, Button7, Button1, Button4, Button6})
        SetAnchors(*button, AnchorRight | AnchorBottom);
    SetAnchors(*StatusBar1, AnchorLeft | AnchorRight | AnchorBottom);
    ConnectButton(Button1, [this] { Button1Click(); });
    ConnectButton(Button2, [this] { Button2Click(); });
    ConnectButton(Button4, [this] { Button4Click(); });
    ConnectButton(Button5, [this] { Button5Click(); });
    ConnectButton(Button6, [this] { Button6Click(); });
    ConnectButton(Button7, [this] { Button7Click(); });
    SetHelpKey(*this, HelpReports);
}

void TForm4::hideEvent(QHideEvent* event) {
    TDialog::hideEvent(event);
    // Every closing hides the window, by Quit, by the close box or by the end of the modal showing;
    // a minimised window is hidden by the window system and is not closed.
    if (!event->spontaneous())
        Guarded([this] { FormClose(); });
}

int ReportRowLoader(void*, int columns, char** values, char**) {
    std::string line;
    for (int c = 0; c < columns; ++c) {
        const std::string_view text = ColumnView(values, c);
        if (std::find(ReportNameColumns.begin(), ReportNameColumns.end(), c) != ReportNameColumns.end())
            line += FieldText(text);
        else
            line += text;
    }
    ReportLines.push_back(line);
    return 0;
}

void TForm4::FormCreate() {
    ListBox1->Clear();
    ListBox1->AddItems({"Select one of the report-options below.",
                        "A report is also saved to a tab-delimited file (Report.txt)", "-"});
}

void TForm4::FormClose() {
    ListBox1->Clear();
}

void TForm4::RunReport(const TReport& report) {
    StatusBar1->showMessage(QString(report.Status) + " See context-sensitive help");
    ListBox1->Clear();
    if (report.TabWidth) {
        ListBox1->SetTabWidth(report.TabWidth);
    } else {
        QFont font = ListBox1->font();
        font.setFamily(ListBoxFont);
        ListBox1->setFont(font);
    }
    ReportLines.clear();
    // The lines are released at the end, also when the file could not be written.
    struct Release {
        ~Release() { ReportLines.clear(); }
    } release;
    // A report whose statement failed is shown as far as it got, but never replaces the last good Report.txt.
    bool complete = false;
    WithDatabase([&report, &complete] {
        ReportLines.insert(ReportLines.end(), report.Header.begin(), report.Header.end());
        QueryText = report.Statement;
        ReportNameColumns = report.NameColumns;
        RunQuery(ReportRowLoader);
        complete = true;
    });
    ReportLines.insert(ReportLines.end(), report.Footer.begin(), report.Footer.end());
    if (report.SaveFirst && complete)
        SaveLines(ReportFile, ReportLines, DatabaseFileName);
    ListBox1->AddItems(ReportLines);
    if (!report.SaveFirst && complete)
        SaveLines(ReportFile, ReportLines, DatabaseFileName);
}

void TForm4::Button1Click() {
    RunReport({" List missing prices in the materials table | ",
               0,
               {"Prices are missing in the Materials Table for:", "-"},
               MissingPricesReport(ChosenDatabase().Engine),
               {"-", "Prices of products possibly derived from abovementioned", "starting materials are not correct.",
                "Please correct errors."},
               false});
}

void TForm4::Button2Click() {
    RunReport({" List obsolete components in the materials table | ",
               0,
               {"Obsolete components in the materials table", "These materials are not found in any recipe.",
                "These errors are not critical.", ""},
               ObsoleteComponentsReportOn(ChosenDatabase().Engine),
               {},
               false});
}

void TForm4::Button4Click() {
    RunReport({" List components sorted by entry-date | ",
               150,
               {"List of components sorted by entry-date", "including prices", "\tPrice"},
               ComponentsByDateReportOn(ChosenDatabase().Engine),
               {},
               false,
               {2}});
}

void TForm4::Button5Click() {
    RunReport({" List components in all recipes | ",
               115,
               {"List components in all recipes including mass (kg).", "", "COMPONENT\tPRODUCT\tkg.", ""},
               ComponentsInRecipesReportOn(ChosenDatabase().Engine),
               {},
               true,
               {0, 2}});
}

void TForm4::Button6Click() {
    close();
}

void TForm4::Button7Click() {
    Application.HelpFile = HelpFileName;
    Application.HelpContext(HelpReports);
}
