// The window TForm4, "Reports on starting materials (components)": four reports on the component
// table, each shown in the list box and written to "Report.txt".
#pragma once

#include "forms/DialogLayout.h"

#include <string>
#include <vector>

class QPushButton;
class QStatusBar;
class TListBox;

class TForm4 : public TDialog {
    Q_OBJECT
public:
    TForm4();
    TListBox* ListBox1;
    QPushButton* Button2;
    QPushButton* Button5;
    QPushButton* Button7;
    QPushButton* Button1;
    QPushButton* Button4;
    QPushButton* Button6;
    QStatusBar* StatusBar1;

    void FormCreate();
    void FormClose();
    void Button1Click();
    void Button2Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    struct TReport;
    void RunReport(const TReport& report);
};

extern TForm4* Form4;
// The lines of the report being built; the list box shows them and "Report.txt" receives them.
extern std::vector<std::string> ReportLines;

int ReportRowLoader(void* data, int columns, char** values, char** names);
