#include "MAIN.h"

#include "BuildConfig.h"
#include "controls/Grids.h"
#include "controls/Hints.h"
#include "controls/PosFloatEdit.h"
#include "controls/StatusBar.h"
#include "controls/StdCtrls.h"
#include "database/Components.h"
#include "database/Database.h"
#include "database/Premixes.h"
#include "database/Prices.h"
#include "database/Products.h"
#include "database/Recipes.h"
#include "forms/About.h"
#include "forms/Backups.h"
#include "forms/Common.h"
#include "forms/DialogLayout.h"
#include "forms/MatUnit.h"
#include "forms/PriceImport.h"
#include "forms/PrintPreview.h"
#include "forms/Production.h"
#include "forms/RawMaterials.h"
#include "forms/RecUnit.h"
#include "forms/Spreadsheets.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "forms/WhereUsed.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Printers.h"
#include "platform/QtText.h"
#include "text/Costing.h"
#include "text/Find.h"
#include "text/StrMan.h"
#include "text/SysUtils.h"
#include "text/TextFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <QTextDocument>
#include <QStatusBar>
#include <QTabWidget>

#include <algorithm>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>

TForm1* Form1 = nullptr;

namespace {

const char* const StartText = "@Tarnock |  Rightclick item for menu |  Click item to change recipe |";
const char* const ComponentsText = "@Tarnock |  Rightclick item for options |  Mode: COMPONENTS |";
const char* const ProductsText =
    "@Tarnock |  Rightclick item for options |  Click item to change recipe | Mode: PRODUCTS";
const char* const SelectProductFirst = "Please, select or create a product first (Left Grid)";
const char* const NoMassToScale = "The recipe has no mass to scale";

// The quantity of every recipe line on display as the file holds it, at the index of its grid row; the
// grid shows it rounded to the gram.
std::vector<std::string> ShownQuantities(1);
// The figures of the recipe lines on display as the database holds them, one per data row in the grid's
// order: the wide recipe grid shows each line's share, price and cost from them.
std::vector<TCostLine> ShownCostLines;

// What the status bar says of the product list's incomplete prices and of the open find field, after its mode
// text; the parts shown last are replaced, never repeated.
std::string IncompleteStatus;
// The premix cycle messages shown this run.
std::set<std::string> CyclesReported;
// The Recipes.ID of every premix line on display.
std::vector<std::string> ShownPremixLines;
std::string FindStatus;

// The pause in typing after which the list is filtered.
constexpr int FindPause = 150;
// The find field's height, by which the list shrinks while it is open.
constexpr int FindHeight = 21;

std::string ShownStatus(std::size_t shown, int rows) {
    return "  " + std::to_string(shown) + " of " + std::to_string(rows) + " shown |";
}

// The number cell of a price that leaves lines out, in the flags' warm tint.
void MarkIncomplete(TStringGrid& grid, int row, const std::string& note) {
    FlagCell(grid, 1, row, note);
}

// The name cell of a premix line, in a cool tint.
void MarkPremix(TStringGrid& grid, int row) {
    MarkCell(grid, 0, row, QColor(80, 150, 255), 0.25, "Premix: " + grid.Cells(0, row) + " has its own recipe");
}

// Brings the premixes' prices up to date before a list or window shows them; a file without premixes is
// only read.
void RollUpBeforeShowing() {
    if (HasPremixes(Database))
        InTransaction(Database, [] { RollUpPremixes(Database); });
}

// Client size of the window below its menu bar at its given size; room beyond it goes to the grids.
constexpr int ClientWidth = 701;
constexpr int ClientHeight = 462;
// From this width of the recipe panel on, the recipe grid has room for the lines' money, the totals below.
constexpr int WideRecipeWidth = 480;
constexpr int RecipeTotalsHeight = 18;
// The widths of the columns "%", "Price/kg" and "Cost", which the name column gives up.
constexpr int FigureWidths[] = {56, 64, 72};
constexpr int FiguresWidth = FigureWidths[0] + FigureWidths[1] + FigureWidths[2];

// The grid's recipe lines with their figures as costed, by line ID; a line gone since it was shown keeps its
// shown mass and has no price.
std::vector<TCostLine> RowCostLines(const TStringGrid& grid, const std::vector<TCostedLine>& costed) {
    std::unordered_map<std::string_view, const TCostLine*> byId;
    for (const TCostedLine& line : costed)
        byId.emplace(line.Id, &line.Line);
    std::vector<TCostLine> lines;
    for (int r = 1; r <= grid.RowCount() - 2; ++r) {
        const auto id = RecipeLineId(r);
        const auto found = id ? byId.find(*id) : byId.end();
        if (found != byId.end()) {
            lines.push_back(*found->second);
            continue;
        }
        TCostLine shown;
        shown.Component = grid.Cells(0, r);
        shown.Mass = ParseNumber(LocaleToPoint(Trim(grid.Cells(1, r)))).Value;
        lines.push_back(std::move(shown));
    }
    return lines;
}

// A figure of the recipe grid, two decimals under the locale's separator; empty for none.
std::string FigureText(std::optional<double> value) {
    return value ? StringManager.FormatPadded("####0.00", 8, ' ', *value) : std::string();
}

// The totals line below the wide recipe grid: "100.00 %   Price/kg P   Cost C", each part only where it can be
// given; empty without lines.
std::string TotalsText(const TRecipeCosting& costing) {
    if (costing.Lines.empty())
        return {};
    std::string text;
    if (costing.TotalMass != 0.0)
        text = FormatFixed(100.0, 2) + " %   ";
    if (costing.PricePerKg)
        text += "Price/kg " + FormatFixed(*costing.PricePerKg, 2) + "   ";
    return text + "Cost " + FormatFixed(costing.Cost, 2);
}

// Where the main window's place is kept between runs.
const char* const PlaceKey = "MainWindow/Geometry";
const char* const MaximizedKey = "MainWindow/Maximized";

QAction* AddItem(QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(QString(name) + "Action");
    return menu;
}

template <class Handler> void Connect(QAction* action, TForm1* form, Handler handler) {
    QObject::connect(action, &QAction::triggered, form,
                     [form, handler] { Guarded([form, handler] { (form->*handler)(); }); });
}

template <class Handler> void Connect(QPushButton* button, TForm1* form, Handler handler) {
    QObject::connect(button, &QPushButton::clicked, form,
                     [form, handler] { Guarded([form, handler] { (form->*handler)(); }); });
}

TStringGrid* MakeGrid(QWidget* parent, const char* name, QRect geometry, int width0, int width1) {
    auto* grid = new TStringGrid(parent);
    grid->setObjectName(name);
    grid->setGeometry(geometry);
    grid->SetColWidth(0, width0);
    grid->SetColWidth(1, width1);
    grid->SetColAlignment(1, Qt::AlignRight);
    return grid;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, QPoint at, int points = 0) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    if (points) {
        QFont font = label->font();
        font.setPointSize(points);
        label->setFont(font);
    }
    label->adjustSize();
    label->move(at);
    return label;
}

} // namespace

TForm1::TForm1() {
    Form1 = this;
    setObjectName("Form1");
    setWindowTitle(QString("Brivane ") + ProgramVersion);
    setFont(QFont("MS Sans Serif", 8));
    CreateMenus();
    CreateControls();
    resize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    move(118, 125);
    RestoreWindowPlace();
    // An open menu takes the keys, so F1 on it is caught here.
    for (QMenu* menu : findChildren<QMenu*>())
        menu->installEventFilter(this);
    // Data put back shows as at start-up, in the list on display.
    OnDataReplaced(*this, [this] {
        if (!ComponentsShowing()) {
            Refresh1Click();
            return;
        }
        Refresh2Click();
        // The recipe beside the component list shows what the data holds for its product.
        const int help = HelpContext;
        StringGrid1DblClick();
        HelpContext = help;
    });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FindEdit && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Guarded([this] { CloseFind(); });
        return true;
    }
    // The list is gone through from the find field, without leaving it.
    if (watched == FindEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Guarded([this, key] { MoveInFoundRows(key == Qt::Key_Down ? 1 : -1); });
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        qobject_cast<QMenu*>(watched)) {
        Guarded([this] { HelpMenuKeyPressed(); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::CreateMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");
    Connect1 = AddMenu(bar, "Connect1", "&File");
    RestoreBackup = AddItem(Connect1, "RestoreBackup", "Restore a backup..");
    CopyToFile = AddItem(Connect1, "CopyToFile", "Copy to a SQLite file..");
    // A server's backups are not the program's: the item is greyed there, and says why.
    Connect1->setToolTipsVisible(true);
    const auto showBackupItems = [this] {
        const bool server = BackupsOnServer();
        RestoreBackup->setEnabled(!server);
        const QString hint = server ? ServerBackupsHint : "";
        RestoreBackup->setToolTip(hint);
        RestoreBackup->setStatusTip(hint);
    };
    showBackupItems();
    connect(Connect1, &QMenu::aboutToShow, this, showBackupItems);
    Connect1->addSeparator();
    Exit1 = AddItem(Connect1, "Exit1", "&Exit");
    Materials1 = AddMenu(bar, "Materials1", "&Materials");
    PrintMaterials = AddItem(Materials1, "PrintMaterials", "&Print Materials..");
    PreviewMaterials = AddItem(Materials1, "PreviewMaterials", "Print preview..");
    Reports = AddItem(Materials1, "Reports", "&Reports..");
    ExporttoMaterialstxt1 = AddItem(Materials1, "ExporttoMaterialstxt1", "Export to Materials.txt");
    MaterialsToSpreadsheet = AddItem(Materials1, "MaterialsToSpreadsheet", "Export to Spreadsheet..");
    ImportPriceList = AddItem(Materials1, "ImportPriceList", "Import price list..");
    Products1 = AddMenu(bar, "Products1", "Products");
    PrintProducts = AddItem(Products1, "PrintProducts", "&Print Products..");
    PreviewProducts = AddItem(Products1, "PreviewProducts", "Print preview..");
    PriceAnalysis = AddItem(Products1, "PriceAnalysis", "Price &Analysis ..");
    ExporttoProductstxt1 = AddItem(Products1, "ExporttoProductstxt1", "&Export to Products.txt");
    ProductsToSpreadsheet = AddItem(Products1, "ProductsToSpreadsheet", "Export to Spreadsheet..");
    Recipes1 = AddMenu(bar, "Recipes1", "&Recipes");
    PrintRecipe = AddItem(Recipes1, "PrintRecipe", "&Print Recipe..");
    PreviewRecipe = AddItem(Recipes1, "PreviewRecipe", "Print preview..");
    ExporttoProducttxt1 = AddItem(Recipes1, "ExporttoProducttxt1", "&Export to Recipe.txt");
    RecipeToSpreadsheet = AddItem(Recipes1, "RecipeToSpreadsheet", "Export to Spreadsheet..");
    Productionnotes = AddItem(Recipes1, "Productionnotes", "Production &notes..");
    RawMaterials = AddItem(Recipes1, "RawMaterials", "Raw Materials..");
    Help1 = AddMenu(bar, "Help1", "&Help");
    About = AddItem(Help1, "About", "&About");
    HelpIndex = AddItem(Help1, "HelpIndex", "&Help");
    Quit1 = bar->addAction("&Quit");
    Quit1->setObjectName("Quit1");
    Connect(RestoreBackup, this, &TForm1::RestoreBackupClick);
    Connect(CopyToFile, this, &TForm1::CopyToFileClick);
    Connect(Exit1, this, &TForm1::Exit1Click);
    Connect(Quit1, this, &TForm1::Quit1Click);
    Connect(PrintMaterials, this, &TForm1::PrintMaterialsClick);
    Connect(PreviewMaterials, this, &TForm1::PreviewMaterialsClick);
    Connect(Reports, this, &TForm1::ReportsClick);
    Connect(ExporttoMaterialstxt1, this, &TForm1::ExporttoMaterialstxt1Click);
    Connect(MaterialsToSpreadsheet, this, &TForm1::MaterialsToSpreadsheetClick);
    Connect(ImportPriceList, this, &TForm1::ImportPriceListClick);
    Connect(PrintProducts, this, &TForm1::PrintProductsClick);
    Connect(PreviewProducts, this, &TForm1::PreviewProductsClick);
    Connect(PriceAnalysis, this, &TForm1::PriceAnalysisClick);
    Connect(ExporttoProductstxt1, this, &TForm1::ExporttoProductstxt1Click);
    Connect(ProductsToSpreadsheet, this, &TForm1::ProductsToSpreadsheetClick);
    Connect(PrintRecipe, this, &TForm1::PrintRecipeClick);
    Connect(PreviewRecipe, this, &TForm1::PreviewRecipeClick);
    Connect(ExporttoProducttxt1, this, &TForm1::ExporttoProducttxt1Click);
    Connect(RecipeToSpreadsheet, this, &TForm1::RecipeToSpreadsheetClick);
    Connect(Productionnotes, this, &TForm1::ProductionnotesClick);
    Connect(RawMaterials, this, &TForm1::RawMaterialsClick);
    Connect(About, this, &TForm1::AboutClick);
    Connect(HelpIndex, this, &TForm1::HelpIndexClick);

    ProductMenu = new QMenu(this);
    ProductMenu->setObjectName("ProductMenu");
    FindProduct = AddItem(ProductMenu, "FindProduct", "Find..");
    ProductMenu->addSeparator();
    NewProduct = AddItem(ProductMenu, "NewProduct", "New Product");
    DuplicateProduct = AddItem(ProductMenu, "DuplicateProduct", "Duplicate Product");
    RenameProduct = AddItem(ProductMenu, "RenameProduct", "Rename Product");
    DeleteProduct = AddItem(ProductMenu, "DeleteProduct", "Delete Product");
    UseAsPremix = AddItem(ProductMenu, "UseAsPremix", "Use as Premix");
    Connect(UseAsPremix, this, &TForm1::UseAsPremixClick);
    connect(ProductMenu, &QMenu::aboutToShow, this, [this] { Guarded([this] { ProductMenuPopup(); }); });
    Connect(NewProduct, this, &TForm1::NewProductClick);
    Connect(DuplicateProduct, this, &TForm1::DuplicateProductClick);
    Connect(RenameProduct, this, &TForm1::RenameProductClick);
    Connect(DeleteProduct, this, &TForm1::DeleteProductClick);

    MaterialsMenu = new QMenu(this);
    MaterialsMenu->setObjectName("MaterialsMenu");
    FindComponent = AddItem(MaterialsMenu, "FindComponent", "Find..");
    MaterialsMenu->addSeparator();
    NewComponent = AddItem(MaterialsMenu, "NewComponent", "New Component");
    RenameComponent = AddItem(MaterialsMenu, "RenameComponent", "Edit Component");
    DeleteComponent = AddItem(MaterialsMenu, "DeleteComponent", "Delete Component");
    Connect(NewComponent, this, &TForm1::NewComponentClick);
    Connect(RenameComponent, this, &TForm1::RenameComponentClick);
    Connect(DeleteComponent, this, &TForm1::DeleteComponentClick);
    // Ctrl+F works on the window; the menus show it beside their item.
    for (QAction* find : {FindProduct, FindComponent}) {
        find->setShortcut(QKeySequence::Find);
        find->setShortcutContext(Qt::WidgetShortcut);
        Connect(find, this, &TForm1::FindClick);
    }
    auto* findKey = new QShortcut(QKeySequence::Find, this);
    findKey->setObjectName("FindShortcut");
    connect(findKey, &QShortcut::activated, this, [this] { Guarded([this] { FindClick(); }); });
    MaterialsMenu->addSeparator();
    WhereUsed = AddItem(MaterialsMenu, "WhereUsed", "Where Used..");
    Connect(WhereUsed, this, &TForm1::WhereUsedClick);

    RecMenu = new QMenu(this);
    RecMenu->setObjectName("RecMenu");
    AddComponent1 = AddItem(RecMenu, "AddComponent1", "Add Component");
    EditComponentMass1 = AddItem(RecMenu, "EditComponentMass1", "Edit Component / Mass");
    DeleteComponent1 = AddItem(RecMenu, "DeleteComponent1", "Delete Component");
    OpenPremix = AddItem(RecMenu, "OpenPremix", "Open Premix");
    Connect(OpenPremix, this, &TForm1::OpenPremixClick);
    connect(RecMenu, &QMenu::aboutToShow, this, [this] {
        const auto id = RecipeLineId(StringGrid3->Row());
        OpenPremix->setEnabled(id && std::find(ShownPremixLines.begin(), ShownPremixLines.end(), *id) !=
                                         ShownPremixLines.end());
    });
    RecMenu->addSeparator();
    ScaleRecipe = AddItem(RecMenu, "ScaleRecipe", "Scale Recipe..");
    Connect(AddComponent1, this, &TForm1::AddComponent1Click);
    Connect(EditComponentMass1, this, &TForm1::EditComponentMass1Click);
    Connect(DeleteComponent1, this, &TForm1::DeleteComponent1Click);
    Connect(ScaleRecipe, this, &TForm1::ScaleRecipeClick);
    // The same command as in the Recipes menu.
    RecMenu->addSeparator();
    RecMenu->addAction(RawMaterials);
}

void TForm1::CreateControls() {
    auto* client = new QWidget(this);
    client->setObjectName("ClientArea");
    setCentralWidget(client);

    BevelStatusBar1 = new TBevelStatusBar(client);
    BevelStatusBar1->setObjectName("BevelStatusBar1");
    BevelStatusBar1->SetSimpleText(StartText);

    PageControl1 = new QTabWidget(client);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(8, 8, 345, 425);
    SetHint(*PageControl1, "Components are constituents\r\nof recipes (=product).");

    PRODUCTS = new QWidget;
    PRODUCTS->setObjectName("PRODUCTS");
    SetHint(*PRODUCTS, "Products or Recipes are\r\nmixtures of components");
    PageControl1->addTab(PRODUCTS, "PRODUCTS");
    Label1 = MakeLabel(PRODUCTS, "Label1", "LIST OF MIXTURES", {176, 0}, 10);
    Refresh1 = new QPushButton("&Refresh", PRODUCTS);
    Refresh1->setObjectName("Refresh1");
    Refresh1->setGeometry(0, 0, 121, 18);
    SetHint(*Refresh1, "Recalculate Products");
    StringGrid1 = MakeGrid(PRODUCTS, "StringGrid1", {8, 24, 321, 361}, 222, 64);
    SetHint(*StringGrid1, "RightClick for Menu\r\nClick to display recipe");
    StringGrid1->setAccessibleName("Products");
    StringGrid1->SetPopupMenu(ProductMenu);

    COMPONENTS = new QWidget;
    COMPONENTS->setObjectName("COMPONENTS");
    PageControl1->addTab(COMPONENTS, "COMPONENTS");
    Label2 = MakeLabel(COMPONENTS, "Label2", "LIST OF STARTING MATERIALS", {128, 0}, 10);
    Refresh2 = new QPushButton("&Refresh", COMPONENTS);
    Refresh2->setObjectName("Refresh2");
    Refresh2->setGeometry(8, 0, 113, 18);
    StringGrid2 = MakeGrid(COMPONENTS, "StringGrid2", {8, 24, 321, 369}, 211, 61);
    SetHint(*StringGrid2, "RightClick for Menu");
    StringGrid2->setAccessibleName("Components");
    StringGrid2->SetPopupMenu(MaterialsMenu);

    Panel1 = new QFrame(client);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(360, 24, 337, 409);
    Edit1 = new TEdit(Panel1);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(8, 8, 217, 21);
    Edit1->setReadOnly(true);
    Edit1->SetText("Edit1");
    Edit1->setAccessibleName("Product shown");
    SetBackground(*Edit1, ButtonFaceColor());
    TotalEdit = new TPosFloatEdit(Panel1);
    TotalEdit->setObjectName("TotalEdit");
    TotalEdit->setGeometry(232, 8, 73, 21);
    TotalEdit->setAlignment(Qt::AlignCenter);
    TotalEdit->SetDecimalPlaces(3);
    TotalEdit->SetColorRO(ButtonFaceColor());
    TotalEdit->SetReadOnly(true);
    TotalEdit->setAccessibleName("Total mass (kg)");
    Label3 = MakeLabel(Panel1, "Label3", "kg", {312, 8});
    // On the total's baseline: as tall as the field, its text centred the same way.
    Label3->setGeometry(312, 8, Label3->width(), 21);
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StringGrid3 = MakeGrid(Panel1, "StringGrid3", {8, 40, 321, 353}, 230, 54);
    SetHint(*StringGrid3, "Right-click for menu");
    StringGrid3->setAccessibleName("Recipe");
    StringGrid3->SetPopupMenu(RecMenu);
    RecipeTotals = new QLabel(Panel1);
    RecipeTotals->setObjectName("RecipeTotals");
    RecipeTotals->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    RecipeTotals->hide();

    FindEdit = new QLineEdit(PRODUCTS);
    FindEdit->setObjectName("FindEdit");
    FindEdit->setAccessibleName("Find in the list");
    FindEdit->setPlaceholderText("Find in the list");
    FindEdit->setClearButtonEnabled(true);
    FindEdit->hide();
    FindEdit->installEventFilter(this);
    FFindTimer = new QTimer(this);
    FFindTimer->setSingleShot(true);
    FFindTimer->setInterval(FindPause);
    connect(FFindTimer, &QTimer::timeout, this, [this] { Guarded([this] { ApplyFind(true); }); });
    connect(FindEdit, &QLineEdit::textChanged, FFindTimer, qOverload<>(&QTimer::start));
    connect(FindEdit, &QLineEdit::returnPressed, this, [this] { Guarded([this] { FindEditReturn(); }); });

    MessageHint1 = new TMessageHint(this);
    MessageHint1->setObjectName("MessageHint1");
    ShapeHint1 = new TShapeHint(this);
    ShapeHint1->setObjectName("ShapeHint1");

    SetHelpContext(*StringGrid1, HelpProducts);
    SetHelpContext(*StringGrid2, HelpComponents);
    SetHelpContext(*StringGrid3, HelpRecipe);
    SetHelpContext(*RecipeTotals, HelpRecipe);
    // Finding is told of in the main window's topic.
    SetHelpContext(*FindEdit, HelpMainWindow);
    SetHelpKey(*this, [this] { return HelpKeyContext(); });

    Connect(Refresh1, this, &TForm1::Refresh1Click);
    Connect(Refresh2, this, &TForm1::Refresh2Click);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { Guarded([this] { PageControl1Change(); }); });
    StringGrid1->OnClick = [this] { StringGrid1DblClick(); };
    StringGrid1->OnDblClick = [this] { StringGrid1DblClick(); };
    StringGrid2->OnDblClick = [this] { StringGrid2DblClick(); };
    StringGrid3->OnClick = [this] { StringGrid3Click(); };
    StringGrid3->OnDblClick = [this] { StringGrid3DblClick(); };
}

namespace {

void PlaceGrid(TStringGrid& grid, QRect given, int nameWidth, int wider, int taller) {
    grid.setGeometry(given.adjusted(0, 0, wider, taller));
    grid.SetColWidth(0, nameWidth + wider);
}

} // namespace

void TForm1::LayOutControls() {
    QWidget* client = centralWidget();
    if (!client)
        return;
    const int wider = std::max(0, client->width() - ClientWidth);
    const int taller = std::max(0, client->height() - ClientHeight);
    const int listsWider = wider / 2;
    const int recipeWider = wider - listsWider;
    PageControl1->setGeometry(8, 8, 345 + listsWider, 425 + taller);
    PlaceGrid(*StringGrid1, {8, 24, 321, 361}, 222, listsWider, taller);
    PlaceGrid(*StringGrid2, {8, 24, 321, 369}, 211, listsWider, taller);
    Panel1->setGeometry(360 + listsWider, 24, 337 + recipeWider, 409 + taller);
    PlaceGrid(*StringGrid3, {8, 40, 321, 353}, 230, recipeWider, taller);
    const bool wide = Panel1->width() >= WideRecipeWidth;
    if (wide != FRecipeWide) {
        FRecipeWide = wide;
        ShowRecipeFigures();
    }
    if (wide) {
        // The totals take a line of the grid's height, below its rows.
        PlaceGrid(*StringGrid3, {8, 40, 321, 353}, 230 - FiguresWidth, recipeWider, taller - RecipeTotalsHeight);
        // Ending where the columns end, so the cost stands below the costs.
        const QRect grid = StringGrid3->geometry();
        const int columns = StringGrid3->horizontalHeader()->length() + 2 * StringGrid3->frameWidth();
        RecipeTotals->setGeometry(grid.left(), grid.bottom() + 1, std::min(columns, grid.width()), RecipeTotalsHeight);
    }
    if (FFindGrid) {
        const QRect list = FFindGrid->geometry();
        FFindGrid->resize(list.width(), list.height() - FindHeight);
        FindEdit->setGeometry(list.left(), list.bottom() + 1 - FindHeight, list.width(), FindHeight);
    }
    BevelStatusBar1->setGeometry(0, client->height() - 19, client->width(), 19);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayOutControls();
}

void TForm1::closeEvent(QCloseEvent* event) {
    SaveWindowPlace();
    QMainWindow::closeEvent(event);
}

void TForm1::RestoreWindowPlace() {
    const QSettings settings("Brivane", "Brivane");
    const QRect place = settings.value(PlaceKey).toRect();
    if (!place.isValid())
        return;
    // A place on a screen no longer there (or since made smaller) is not put back: the window opens as given.
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (std::none_of(screens.begin(), screens.end(),
                     [&place](const QScreen* screen) { return screen->availableGeometry().contains(place); }))
        return;
    setGeometry(place);
    if (settings.value(MaximizedKey).toBool())
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm1::SaveWindowPlace() const {
    QSettings settings("Brivane", "Brivane");
    settings.setValue(PlaceKey, normalGeometry());
    settings.setValue(MaximizedKey, isMaximized());
}

bool TForm1::event(QEvent* event) {
    // The first activation after start-up shows the recomputed products; later ones change nothing.
    if (event->type() == QEvent::WindowActivate && !FActivated) {
        FActivated = true;
        const bool handled = QMainWindow::event(event);
        Guarded([this] { Refresh1Click(); });
        return handled;
    }
    return QMainWindow::event(event);
}

void TForm1::FormCreate() {
    SetMenuEnabled(*Materials1, false);
    FComponentsShowing = false;
    HelpContext = HelpMainWindow;
    DatabaseFileName = "Products.db3";
}

int ListRowLoader(void*, int columns, char** values, char**) {
    TStringGrid& grid = Form1->ComponentsShowing() ? *Form1->StringGrid2 : *Form1->StringGrid1;
    for (int c = 0; c < columns; ++c)
        grid.SetCells(c, CurrentRow, ColumnView(values, c));
    ++CurrentRow;
    grid.SetRowCount(grid.RowCount() + 1);
    return 0;
}

int RecipeRowLoader(void*, int columns, char** values, char**) {
    TStringGrid& grid = *Form1->StringGrid3;
    SetRecipeLineId(CurrentRow, ColumnText(values, 0));
    if (columns > 2) {
        ShownQuantities.resize(static_cast<std::size_t>(CurrentRow) + 1);
        ShownQuantities[static_cast<std::size_t>(CurrentRow)] = ColumnText(values, 2);
    }
    for (int c = 1; c < columns; ++c)
        grid.SetCells(c - 1, CurrentRow, ColumnView(values, c));
    ++CurrentRow;
    grid.SetRowCount(grid.RowCount() + 1);
    return 0;
}

void TForm1::Refresh1Click() {
    PrepareGrid(*StringGrid1);
    std::vector<TIncompletePrice> incomplete;
    TRecomputation recomputation;
    // The recomputation and the list it feeds hold the write lock from the start, so another program's
    // brief lock is waited for once and never fails the action half-way.
    WithDatabase([this, &incomplete, &recomputation] {
        InTransaction(Database, [this, &incomplete, &recomputation] {
            recomputation = RecomputeProducts(Database);
            std::vector<std::string> tooLarge = ClearUncomputedPrices(Database);
            StringGrid1->SetCells(0, 0, " Product");
            StringGrid1->SetCells(1, 0, " Price/kg");
            LoadProductList(Database, ListRowLoader);
            incomplete = IncompletePrices(Database);
            AddUncomputedPrices(incomplete, std::move(tooLarge));
        });
    });
    SortRowsByName(*StringGrid1);
    FormatNumberColumn(*StringGrid1, "####0.00", 8);
    ShowIncompletePrices(incomplete, recomputation.NotComputed);
    // A cycle is told once per run; the status bar says it as long as it is there.
    if (const std::string cycle = CycleText(recomputation); !cycle.empty() && CyclesReported.insert(cycle).second)
        ShowMessage(cycle);
    const std::string shownBefore = Edit1->Text();
    StringGrid1DblClick();
    SelectRowByName(*StringGrid1, shownBefore);
    // The list reloaded stays filtered while the find field is open.
    if (FFindGrid == StringGrid1)
        ApplyFind();
}

void TForm1::ShowIncompletePrices(const std::vector<TIncompletePrice>& products, int notComputed) {
    // The list is in reading order, the products in byte order: each is found by its name.
    TStringGrid& grid = *StringGrid1;
    std::unordered_map<std::string_view, int> rows;
    for (int r = 1; !products.empty() && r <= grid.RowCount() - 2; ++r)
        rows.emplace(grid.Cells(0, r), r);
    int count = 0;
    for (const TIncompletePrice& product : products) {
        const auto found = rows.find(product.Product);
        if (found == rows.end())
            continue;
        MarkIncomplete(grid, found->second, IncompletePriceNote(product));
        ++count;
        rows.erase(found);
    }
    std::string incompleteStatus;
    if (count == 1)
        incompleteStatus = "  1 product with an incomplete price |";
    else if (count > 1)
        incompleteStatus = "  " + std::to_string(count) + " products with incomplete prices |";
    if (notComputed > 0)
        incompleteStatus += "  " + std::to_string(notComputed) +
                            (notComputed == 1 ? " product not computed (a premix cycle) |"
                                              : " products not computed (a premix cycle) |");
    SetStatusParts(&incompleteStatus, FindStatus);
}

void TForm1::SetStatusParts(const std::string* incomplete, const std::string& find) {
    std::string status = BevelStatusBar1->SimpleText();
    const std::string shown = IncompleteStatus + FindStatus;
    const bool kept = !shown.empty() && status.ends_with(shown);
    if (kept)
        status.resize(status.size() - shown.size());
    // A mode text put in since took the parts shown with the one before.
    if (incomplete)
        IncompleteStatus = *incomplete;
    else if (!kept)
        IncompleteStatus.clear();
    FindStatus = find;
    BevelStatusBar1->SetSimpleText(status + IncompleteStatus + FindStatus);
}

// Find as you type

void TForm1::FindClick() {
    TStringGrid* grid = PageControl1->currentWidget() == COMPONENTS ? StringGrid2 : StringGrid1;
    if (FFindGrid != grid) {
        CloseFind();
        FFindGrid = grid;
        FindEdit->setParent(grid->parentWidget());
        LayOutControls();
        FindEdit->show();
        // The names are folded once per load, here or at the reload, so that typing only compares.
        for (int r = 1; r <= grid->RowCount() - 2; ++r)
            grid->SearchName(r);
        SetStatusParts(nullptr, ShownStatus(grid->ShownRows().size(), grid->RowCount() - 2));
    }
    FindEdit->setFocus(Qt::ShortcutFocusReason);
    FindEdit->selectAll();
}

void TForm1::ApplyFind(bool closeWhenEmpty) {
    FFindTimer->stop();
    if (!FFindGrid)
        return;
    TStringGrid& grid = *FFindGrid;
    const std::vector<std::string> words = FindWords(FromQt(FindEdit->text()));
    if (words.empty() && closeWhenEmpty) {
        CloseFind();
        return;
    }
    const int rows = grid.RowCount() - 2;
    if (words.empty()) {
        grid.ShowAllRows();
    } else {
        std::vector<int> shown;
        for (int r = 1; r <= rows; ++r)
            if (HasEveryWord(grid.SearchName(r), words))
                shown.push_back(r);
        grid.ShowOnlyRows(std::move(shown));
    }
    SetStatusParts(nullptr, ShownStatus(grid.ShownRows().size(), rows));
}

void TForm1::CloseFind() {
    FFindTimer->stop();
    if (!FFindGrid)
        return;
    TStringGrid& grid = *FFindGrid;
    const bool typing = FindEdit->hasFocus();
    FFindGrid = nullptr;
    FindEdit->hide();
    {
        const QSignalBlocker quiet(FindEdit);
        FindEdit->clear();
    }
    grid.ShowAllRows();
    LayOutControls();
    grid.Sync();
    grid.scrollTo(grid.CellIndex(0, grid.Row()));
    SetStatusParts(nullptr, std::string());
    if (typing)
        grid.setFocus(Qt::OtherFocusReason);
}

void TForm1::MoveInFoundRows(int step) {
    if (!FFindGrid)
        return;
    // What was typed counts at once, not after the pause.
    if (FFindTimer->isActive())
        ApplyFind();
    TStringGrid& grid = *FFindGrid;
    const std::vector<int> shown = grid.ShownRows();
    if (shown.empty())
        return;
    const auto at = std::find(shown.begin(), shown.end(), grid.Row());
    int target = step > 0 ? shown.front() : shown.back();
    if (at != shown.end()) {
        const auto index = at - shown.begin() + step;
        if (index < 0 || index >= static_cast<std::ptrdiff_t>(shown.size()))
            return;
        target = shown[static_cast<std::size_t>(index)];
    }
    grid.SetRow(target);
    grid.Sync();
    grid.scrollTo(grid.CellIndex(0, target));
}

void TForm1::FindEditReturn() {
    ApplyFind(true);
    if (!FFindGrid)
        return;
    TStringGrid& grid = *FFindGrid;
    const std::vector<int> shown = grid.ShownRows();
    if (shown.empty())
        return;
    if (grid.Row() != shown.front())
        grid.SetRow(shown.front());
    else if (&grid == StringGrid1)
        StringGrid1DblClick();
    grid.Sync();
    grid.scrollTo(grid.CellIndex(0, grid.Row()));
}

void TForm1::Refresh2Click() {
    PrepareGrid(*StringGrid2);
    WithDatabase([this] {
        // After a change of a component the premixes made of it show their new prices.
        RollUpBeforeShowing();
        StringGrid2->SetCells(0, 0, "Component");
        StringGrid2->SetCells(1, 0, " Price/kg");
        LoadComponentList(Database, ListRowLoader);
    });
    SortRowsByName(*StringGrid2);
    FormatNumberColumn(*StringGrid2, "####0.00", 8);
    if (FFindGrid == StringGrid2)
        ApplyFind();
}

void TForm1::PageControl1Change() {
    CloseFind();
    const bool components = PageControl1->currentWidget() == COMPONENTS;
    FComponentsShowing = components;
    SetMenuEnabled(*Materials1, components);
    SetMenuEnabled(*Products1, !components);
    SetMenuEnabled(*Recipes1, !components);
    SetBackground(*Edit1, ButtonFaceColor());
    TotalEdit->SetReadOnly(true);
    StringGrid3->setEnabled(!components);
    SetBackground(*StringGrid3, components ? ButtonFaceColor() : WindowColor());
    RecipeTotals->setEnabled(!components);
    BevelStatusBar1->SetSimpleText(components ? ComponentsText : ProductsText);
    HelpContext = components ? HelpComponents : HelpProducts;
    if (components)
        Refresh2Click();
    else
        Refresh1Click();
}

void TForm1::ClearRecipe() {
    PrepareGrid(*StringGrid3);
    ClearRecipeLineIds();
    ShownQuantities.assign(1, std::string());
    ShownPremixLines.clear();
    ShownCostLines.clear();
    ShowRecipeFigures();
}

void TForm1::ShowRecipeFigures() {
    TStringGrid& grid = *StringGrid3;
    RecipeTotals->setVisible(FRecipeWide);
    if (!FRecipeWide) {
        grid.SetColCount(2);
        return;
    }
    grid.SetColCount(5);
    const char* const headings[] = {"%", "Price/kg", "Cost"};
    for (int c = 2; c < 5; ++c) {
        grid.SetCells(c, 0, headings[c - 2]);
        grid.SetColWidth(c, FigureWidths[c - 2]);
        grid.SetColAlignment(c, Qt::AlignRight);
    }
    const TRecipeCosting costing = CostRecipe(ShownCostLines);
    for (std::size_t i = 0; i < costing.Lines.size(); ++i) {
        const TLineCosting& line = costing.Lines[i];
        const int r = static_cast<int>(i) + 1;
        grid.SetCells(2, r, FigureText(line.Fraction ? std::optional(*line.Fraction * 100.0) : std::nullopt));
        grid.SetCells(3, r, FigureText(line.PricePerKg));
        grid.SetCells(4, r, FigureText(line.Cost));
        if (!ShownCostLines[i].Priced) {
            FlagCell(grid, 3, r, NoPriceNote);
            FlagCell(grid, 4, r, NoPriceNote);
        }
    }
    const QString totals = ToQt(TotalsText(costing));
    RecipeTotals->setText(totals);
    RecipeTotals->setAccessibleName(totals);
    // The price per kg leaves out the lines without a price, as the product list's does.
    RecipeTotals->setToolTip(costing.Incomplete ? ToQt(IncompleteRecipeNote(Edit1->Text(), ShownCostLines))
                                                : QString());
}

void TForm1::StringGrid1DblClick() {
    ClearRecipe();
    StringGrid3->SetCells(0, 0, " Component");
    StringGrid3->SetCells(1, 0, "   Mass");
    const std::string product = StringGrid1->Cells(0, StringGrid1->Row());
    Edit1->SetText(product);
    std::vector<std::string> noPrice;
    std::vector<TCostedLine> costed;
    WithDatabase([&product, &noPrice, &costed] {
        LoadRecipe(Database, product, RecipeRowLoader);
        noPrice = NoPriceLines(Database, product);
        ShownPremixLines = PremixLines(Database, product);
        costed = CostedLines(Database, product);
    });
    // Batches are weighed from these masses: to the gram.
    TotalEdit->SetAsFloat(FormatNumberColumn(*StringGrid3, "####0.000", 8));
    for (int r = 1; !noPrice.empty() && r <= StringGrid3->RowCount() - 2; ++r)
        if (const auto id = RecipeLineId(r); id && std::find(noPrice.begin(), noPrice.end(), *id) != noPrice.end())
            MarkIncomplete(*StringGrid3, r, "No price for this component");
    for (int r = 1; !ShownPremixLines.empty() && r <= StringGrid3->RowCount() - 2; ++r)
        if (const auto id = RecipeLineId(r);
            id && std::find(ShownPremixLines.begin(), ShownPremixLines.end(), *id) != ShownPremixLines.end())
            MarkPremix(*StringGrid3, r);
    ShownCostLines = RowCostLines(*StringGrid3, costed);
    ShowRecipeFigures();
    HelpContext = HelpProducts;
}

void TForm1::StringGrid3Click() {
    HelpContext = HelpRecipe;
}

void TForm1::Quit1Click() {
    SaveWindowPlace();
    Application.Terminate();
}

void TForm1::Exit1Click() {
    SaveWindowPlace();
    Application.Terminate();
}

namespace {

// Asks for the name of a product to be made or renamed, capitalised as typed names are. Nothing on Cancel, for
// an empty answer, and for a name the product list holds, which is refused.
std::optional<std::string> AskProductName(const TStringGrid& products, const std::string& caption,
                                          const std::string& prompt, std::string name) {
    if (!AskText(caption, prompt, name))
        return std::nullopt;
    name = TypedListName(products, name);
    if (ListHasName(products, name)) {
        ShowMessage("Product already exists");
        return std::nullopt;
    }
    if (name.empty())
        return std::nullopt;
    return name;
}

} // namespace

void TForm1::NewProductClick() {
    const auto asked = AskProductName(*StringGrid1, "New Recipe", "Enter a new productname", {});
    if (!asked)
        return;
    const std::string& name = *asked;
    // The new product is selected: no filter may hide it.
    CloseFind();
    Edit1->SetText(name);
    ClearRecipe();
    TWriteBackup backup = BeforeUserWrite();
    const bool written = WithDatabase([&name] { CreateProduct(Database, name); });
    if (!written)
        backup.Discard();
    Refresh1Click();
    SelectRowByName(*StringGrid1, name);
    ClearRecipe();
    BevelStatusBar1->SetSimpleText(" Click item to build recipe in right grid | Mode: RECIPES");
    MessageHint1->ShowControlHint("Doubleclick in right grid on empty rows\r\n to enter components and masses.",
                                  StringGrid3);
}

void TForm1::RenameProductClick() {
    const std::string oldName = StringGrid1->Cells(0, StringGrid1->Row());
    const auto asked = AskProductName(*StringGrid1, "Rename " + oldName, "Rename " + oldName, {});
    if (!asked)
        return;
    const std::string& name = *asked;
    // The renamed product is selected below: no filter may hide it.
    CloseFind();
    Edit1->SetText(name);
    TWriteBackup backup = BeforeUserWrite();
    bool premix = false;
    const bool written = WithDatabase([&] {
        premix = PremixOfProduct(Database, oldName).has_value();
        ChangeProductName(Database, oldName, name);
    });
    if (!written)
        backup.Discard();
    // A premix's component took the new name.
    if (written && premix)
        Rec->FormCreate();
    Refresh1Click();
    SelectRowByName(*StringGrid1, name);
}

void TForm1::DuplicateProductClick() {
    if (!ProductSelected())
        return;
    const std::string product = StringGrid1->Cells(0, StringGrid1->Row());
    const auto asked =
        AskProductName(*StringGrid1, "Duplicate " + product, "Enter the name of the copy", product + " COPY");
    if (!asked)
        return;
    const std::string& name = *asked;
    // The copy is selected below: a list narrowed to some of its rows shows all of them again first.
    CloseFind();
    TWriteBackup backup = BeforeUserWrite();
    bool copied = false;
    const bool written = WithDatabase([&] { copied = CopyProduct(Database, product, name); });
    if (!written || !copied)
        backup.Discard();
    if (written && !copied)
        ShowMessage(product + " is no longer in the database");
    Refresh1Click();
    SelectRowByName(*StringGrid1, copied ? name : product);
}

void TForm1::DeleteProductClick() {
    const std::string name = StringGrid1->Cells(0, StringGrid1->Row());
    if (name.empty())
        return;
    std::optional<TPremixLink> premix;
    int users = 0;
    WithDatabase([&] {
        premix = PremixOfProduct(Database, name);
        if (premix)
            users = ProductsUsing(Database, premix->CompId);
    });
    if (users > 0) {
        ShowMessage(PremixInUseText(name, users));
        return;
    }
    if (!ConfirmYesNo("Delete " + name + " ??"))
        return;
    TWriteBackup backup = BeforeBulkWrite();
    const bool written = WithDatabase([&name] { RemoveProduct(Database, name); });
    if (!written)
        backup.Discard();
    if (written && premix)
        Rec->FormCreate();
    Refresh1Click();
}

void TForm1::ProductMenuPopup() {
    const std::string name = StringGrid1->Cells(0, StringGrid1->Row());
    bool premix = false;
    if (!name.empty())
        WithDatabase([&] { premix = PremixOfProduct(Database, name).has_value(); });
    UseAsPremix->setText(premix ? "Stop Using as Premix" : "Use as Premix");
    UseAsPremix->setEnabled(!name.empty());
}

void TForm1::UseAsPremixClick() {
    const std::string name = StringGrid1->Cells(0, StringGrid1->Row());
    if (name.empty())
        return;
    std::optional<TPremixLink> premix;
    TPremixCandidate candidate;
    const bool read = WithDatabase([&] {
        premix = PremixOfProduct(Database, name);
        if (!premix)
            candidate = CheckPremixCandidate(Database, name);
    });
    if (!read)
        return;
    if (!premix && !candidate.Refusal.empty()) {
        ShowMessage(candidate.Refusal);
        return;
    }
    if (!premix && candidate.ComponentExists && !ConfirmYesNo(LinkQuestion(name)))
        return;
    TWriteBackup backup = BeforeUserWrite();
    const bool written = WithDatabase([&] {
        if (premix)
            InTransaction(Database, [&name] { StopUsingAsPremix(Database, name); });
        else
            ::UseAsPremix(Database, name);
    });
    if (!written)
        backup.Discard();
    // A new premix is a new component to choose in Edit Recipe.
    if (written && !premix)
        Rec->FormCreate();
    Refresh1Click();
}

// Components

void TForm1::ReloadComponents() {
    Refresh2Click();
    Rec->FormCreate();
}

void TForm1::NewComponentClick() {
    TMatRequest request;
    request.Names = ListNames(*StringGrid2);
    Mat->Execute(std::move(request));
    ReloadComponents();
}

void TForm1::RenameComponentClick() {
    const int row = StringGrid2->Row();
    TMatRequest request;
    request.Component = StringGrid2->Cells(0, row);
    std::string price = StringGrid2->Cells(1, row);
    HelpContext = HelpComponents;
    // A row without a price (the empty last row among them) opens as a new component.
    request.NewMaterial = price.empty();
    if (price.empty())
        price = "0,00";
    const ParseResult number = ParseNumber(StringManager.CommaToPoint(price));
    request.Price = number.ErrorPos ? 0.0 : number.Value;
    // The cell shows the price rounded to the cent; a price left as it opened is written back as stored.
    // Without the stored price (a failed read, a component gone) the field's own text is written.
    if (!request.NewMaterial)
        WithDatabase([&request] {
            request.Stored = ReadStoredComponent(Database, request.Component);
            if (const auto premix = PremixOfComponent(Database, request.Component))
                request.PremixOf = premix->Product;
        });
    // The field opens with the price as it is now, which Post writes over: a colleague may have changed it since
    // the list was shown.
    if (request.Stored) {
        const ParseResult stored = ParseNumber(StringManager.CommaToPoint(request.Stored->Price));
        if (!stored.ErrorPos)
            request.Price = stored.Value;
    }
    request.Names = ListNames(*StringGrid2);
    const std::string typed = Mat->Execute(std::move(request));
    ReloadComponents();
    SelectRowByName(*StringGrid2, typed);
}

void TForm1::StringGrid2DblClick() {
    RenameComponentClick();
}

void TForm1::DeleteComponentClick() {
    const std::string name = StringGrid2->Cells(0, StringGrid2->Row());
    std::optional<TPremixLink> premix;
    WithDatabase([&] { premix = PremixOfComponent(Database, name); });
    if (premix) {
        ShowMessage(PremixComponentText(*premix));
        return;
    }
    if (!ConfirmYesNo("Delete " + name + " ??"))
        return;
    TWriteBackup backup = BeforeBulkWrite();
    const bool written = WithDatabase([&name] { RemoveComponent(Database, name); });
    if (!written)
        backup.Discard();
    ReloadComponents();
}

// Recipe lines

bool TForm1::ProductSelected() {
    if (!StringGrid1->Cells(0, StringGrid1->Row()).empty())
        return true;
    ShowMessage(SelectProductFirst);
    return false;
}

void TForm1::StringGrid3DblClick() {
    if (!ProductSelected())
        return;
    const int row = StringGrid3->Row();
    TRecRequest request;
    request.Product = StringGrid1->Cells(0, StringGrid1->Row());
    request.EditedLineId = RecipeLineId(row).value_or(std::string());
    request.Component = StringGrid3->Cells(0, row);
    request.NewRecipeLine = request.Component.empty();
    if (!request.EditedLineId.empty() && static_cast<std::size_t>(row) < ShownQuantities.size()) {
        // The stored quantity, not the rounded cell: what the user leaves untouched is written back as it was.
        std::string stored = ShownQuantities[static_cast<std::size_t>(row)];
        // The line as it is now, which the dialog shows and Post writes over: a colleague may have changed it
        // since the recipe was shown.
        if (!request.NewRecipeLine)
            WithDatabase([&request] { request.Opened = ReadStoredLine(Database, request.EditedLineId); });
        if (request.Opened) {
            stored = request.Opened->Quantity;
            if (!request.Opened->Component.empty())
                request.Component = request.Opened->Component;
        }
        const ParseResult number = ParseNumber(StringManager.CommaToPoint(stored));
        request.Mass = number.ErrorPos ? 0.0 : number.Value;
        if (!request.NewRecipeLine)
            request.StoredQuantity = stored;
    }
    request.LinePosted = [this] { StringGrid1DblClick(); };
    Rec->Execute(std::move(request));
    StringGrid1DblClick();
}

void TForm1::EditComponentMass1Click() {
    StringGrid3DblClick();
}

void TForm1::AddComponent1Click() {
    if (!ProductSelected())
        return;
    TRecRequest request;
    request.Product = StringGrid1->Cells(0, StringGrid1->Row());
    request.Mass = 0.0;
    request.LinePosted = [this] { StringGrid1DblClick(); };
    Rec->Execute(std::move(request));
    StringGrid1DblClick();
    HelpContext = HelpRecipe;
}

void TForm1::OpenPremixClick() {
    const int row = StringGrid3->Row();
    if (!RecipeLineId(row))
        return;
    const std::string component = StringGrid3->Cells(0, row);
    std::optional<TPremixLink> premix;
    WithDatabase([&] { premix = PremixOfComponent(Database, component); });
    if (!premix)
        return;
    // The premix is selected: no filter may hide it.
    CloseFind();
    SelectRowByName(*StringGrid1, premix->Product);
}

void TForm1::DeleteComponent1Click() {
    const int row = StringGrid3->Row();
    const auto id = RecipeLineId(row);
    // A row that shows no line of this recipe (the empty last row) has nothing to delete.
    if (!id)
        return;
    if (!ConfirmYesNo("Delete " + StringGrid3->Cells(0, row) + " ??"))
        return;
    TWriteBackup backup = BeforeUserWrite();
    const bool written = WithDatabase([&id] { RemoveRecipeLine(Database, *id); });
    if (!written)
        backup.Discard();
    StringGrid1DblClick();
}

void TForm1::ScaleRecipeClick() {
    if (!ProductSelected())
        return;
    const std::string product = StringGrid1->Cells(0, StringGrid1->Row());
    // The total of the lines on display, from their stored quantities as the recipe grid adds them.
    double total = 0.0;
    for (std::size_t r = 1; r < ShownQuantities.size(); ++r)
        total += ParseNumber(StringManager.CommaToPoint(ShownQuantities[r])).Value;
    if (!(total > 0.0)) {
        ShowMessage(NoMassToScale);
        return;
    }
    std::string typed = TotalEdit->Text();
    if (!AskText("Scale " + product, "New total mass in kg", typed))
        return;
    const std::optional<std::int64_t> grams = ReadTotalGrams(typed);
    if (!grams) {
        ShowMessage(TotalMassRequest);
        return;
    }
    TWriteBackup backup = BeforeUserWrite();
    TRecipeScaled scaled = TRecipeScaled::NoMass;
    const bool written = WithDatabase([&] { scaled = RescaleRecipe(Database, product, *grams); });
    if (!written || scaled != TRecipeScaled::Scaled)
        backup.Discard();
    if (written && scaled == TRecipeScaled::NoMass)
        ShowMessage(NoMassToScale);
    // The product's mass and price follow its new masses.
    Refresh1Click();
    HelpContext = HelpRecipe;
}

// The other windows

void TForm1::ReportsClick() {
    ShowModal(*Form4);
}

void TForm1::PriceAnalysisClick() {
    // The analysis reads the premixes' prices as they stand.
    WithDatabase([] { RollUpBeforeShowing(); });
    Form5->Execute(StringGrid1->Cells(0, StringGrid1->Row()));
}

void TForm1::AboutClick() {
    ShowModal(*Form3);
}

void TForm1::ProductionnotesClick() {
    Form2->Execute({Edit1->Text()});
}

void TForm1::RestoreBackupClick() {
    ShowBackups();
}

void TForm1::CopyToFileClick() {
    CopyToSQLiteFile();
}

void TForm1::RawMaterialsClick() {
    if (!ProductSelected())
        return;
    ShowRawMaterials(*this, {StringGrid1->Cells(0, StringGrid1->Row())});
}

void TForm1::WhereUsedClick() {
    const std::string name = StringGrid2->Cells(0, StringGrid2->Row());
    // The empty last row is no component.
    if (name.empty())
        return;
    ShowWhereUsed(*this, {name});
}

void TForm1::HelpIndexClick() {
    Application.HelpContext(HelpContext, HelpFile);
}

int TForm1::HelpKeyContext() const {
    const int control = ControlHelpContext(QApplication::focusWidget());
    return control ? control : HelpContext;
}

void TForm1::HelpMenuKeyPressed() {
    // The menus close, so that the help shows in front of the window.
    while (QWidget* menu = QApplication::activePopupWidget())
        if (!menu->close())
            break;
    Application.HelpContext(HelpContext, HelpFile);
}

// ---------------------------------------------------------------------------------------------------------------
// Exports to text files

namespace {

// The header lines, then every row below the grid's header (its empty last row too) as cell 0, a tab and cell 1.
// A name holding a tab or a line break would split its row, so those become blanks.
void ExportGrid(const TStringGrid& grid, const std::string& fileName, const std::vector<std::string>& headers) {
    TTextFile file(fileName, DatabaseFileName);
    for (const std::string& header : headers)
        file.WriteLn(header);
    for (int r = 1; r < grid.RowCount(); ++r)
        file.WriteLn(FieldText(grid.Cells(0, r)) + "\t" + FieldText(grid.Cells(1, r)));
    file.Close();
    ShowMessage("Done... See " + fileName);
}

} // namespace

void TForm1::ExporttoMaterialstxt1Click() {
    ExportGrid(*StringGrid2, "Materials.txt", {"COMPONENT\tPRICE"});
}

void TForm1::ExporttoProductstxt1Click() {
    ExportGrid(*StringGrid1, "Products.txt", {"PRODUCT\tPRICE"});
}

void TForm1::ExporttoProducttxt1Click() {
    ExportGrid(*StringGrid3, "Recipe.txt", {"Recipe of " + FieldText(Edit1->Text()), "Component\tMass (kg)"});
}

void TForm1::MaterialsToSpreadsheetClick() {
    SaveSpreadsheet("Materials.xlsx", [this] {
        std::vector<TNamedPrice> stored;
        WithDatabase([&stored] { stored = ReadPriceList(Database, ComponentListQuery); });
        return PriceListSheet(*StringGrid2, "Materials", "Component", stored);
    });
}

void TForm1::ProductsToSpreadsheetClick() {
    SaveSpreadsheet("Products.xlsx", [this] {
        std::vector<TNamedPrice> stored;
        WithDatabase([&stored] { stored = ReadPriceList(Database, ProductListQuery); });
        return PriceListSheet(*StringGrid1, "Products", "Product", stored);
    });
}

void TForm1::RecipeToSpreadsheetClick() {
    SaveSpreadsheet("Recipe.xlsx", [this] {
        const std::string product = Edit1->Text();
        std::vector<TCostedLine> costed;
        WithDatabase([&product, &costed] { costed = CostedLines(Database, product); });
        // The rows of the grid, each with its figures as stored now.
        return RecipeSheet(product, RowCostLines(*StringGrid3, costed));
    });
}

void TForm1::ImportPriceListClick() {
    if (!RunPriceListImport(this))
        return;
    // The new prices show as after a Refresh of the tab in view.
    if (PageControl1->currentWidget() == COMPONENTS)
        ReloadComponents();
    else
        Refresh1Click();
}

// ---------------------------------------------------------------------------------------------------------------
// Printed lists

namespace {

// The listing of a grid in a fixed-pitch font: three empty lines, the title, an empty line, then every row
// (the header row followed by an empty line) as the name padded to 30 characters and the number cell. The
// padding counts the characters a name shows, so an accented name keeps the numbers in their column.
TListingWriter GridListing(const TStringGrid& grid, const std::string& title, int titleSize, int rowSize) {
    return [&grid, title, titleSize, rowSize](TPrinterText& printer) {
        const std::string margin = StringManager.RepeatChar(' ', 8);
        printer.SetFont("Courier New", titleSize);
        for (int i = 0; i < 3; ++i)
            printer.WriteLn();
        printer.WriteLn(margin + title);
        printer.WriteLn();
        printer.SetFontSize(rowSize);
        for (int r = 0; r < grid.RowCount(); ++r) {
            const std::string& name = grid.Cells(0, r);
            printer.Write(margin);
            printer.Write(name + std::string(static_cast<std::size_t>(std::max(30 - ShownLength(name), 0)), ' '));
            printer.WriteLn(grid.Cells(1, r));
            if (r == 0)
                printer.WriteLn();
        }
    };
}

TListingWriter ProductList(const TForm1& form) {
    return GridListing(*form.StringGrid1, "Pricelist of Products", 14, 12);
}

TListingWriter ComponentList(const TForm1& form) {
    return GridListing(*form.StringGrid2, "Pricelist of Components", 10, 10);
}

TListingWriter RecipeList(const TForm1& form) {
    return GridListing(*form.StringGrid3, form.Edit1->Text(), 14, 12);
}

// The window's printer settings are made on the first print or preview and kept for the next.
TPrintDialog& PrintDialogOf(TForm1& form) {
    if (!form.PrintDialog1) {
        form.PrintDialog1 = new TPrintDialog(&form);
        form.PrintDialog1->setObjectName("PrintDialog1");
    }
    return *form.PrintDialog1;
}

void PreviewList(TForm1& form, const TListingWriter& listing) {
    TPrintPreview preview(PrintDialogOf(form), listing, &form);
    ShowModal(preview);
}

} // namespace

void TForm1::PrintProductsClick() {
    PrintDialogOf(*this).Print(ProductList(*this));
}

void TForm1::PrintMaterialsClick() {
    PrintDialogOf(*this).Print(ComponentList(*this));
}

void TForm1::PrintRecipeClick() {
    PrintDialogOf(*this).Print(RecipeList(*this));
}

void TForm1::PreviewProductsClick() {
    PreviewList(*this, ProductList(*this));
}

void TForm1::PreviewMaterialsClick() {
    PreviewList(*this, ComponentList(*this));
}

void TForm1::PreviewRecipeClick() {
    PreviewList(*this, RecipeList(*this));
}
