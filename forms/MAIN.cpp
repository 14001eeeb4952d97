#include "MAIN.h"

#include "BuildConfig.h"
#include "controls/Grids.h"
#include "controls/Hints.h"
#include "controls/PosFloatEdit.h"
#include "controls/StatusBar.h"
#include "controls/StdCtrls.h"
#include "database/Components.h"
#include "database/Database.h"
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
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "forms/WhereUsed.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Printers.h"
#include "platform/QtText.h"
#include "text/StrMan.h"
#include "text/TextFile.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTextDocument>
#include <QStatusBar>
#include <QTabWidget>

#include <algorithm>
#include <optional>

TForm1* Form1 = nullptr;

namespace {

const char* const StartText = "@Tarnock |  Rightclick item for menu |  Click item to change recipe |";
const char* const ComponentsText = "@Tarnock |  Rightclick item for options |  Mode: COMPONENTS |";
const char* const ProductsText =
    "@Tarnock |  Rightclick item for options |  Click item to change recipe | Mode: PRODUCTS";
const char* const SelectProductFirst = "Please, select or create a product first (Left Grid)";

// The quantity of every recipe line on display as the file holds it, at the index of its grid row; the
// grid shows it rounded to the gram.
std::vector<std::string> ShownQuantities(1);

// What the status bar says of the product list's incomplete prices; the one shown last is replaced, never
// repeated.
std::string IncompleteStatus;

// Marks the number cell of row: its background, and the note as tooltip and for screen readers.
void MarkIncomplete(TStringGrid& grid, int row, const std::string& note) {
    FlagCell(grid, 1, row, note);
}

// Client size of the window below its menu bar; the window never grows beyond it.
constexpr int ClientWidth = 701;
constexpr int ClientHeight = 462;

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
    const int height = ClientHeight + menuBar()->sizeHint().height();
    resize(ClientWidth, height);
    setMaximumSize(ClientWidth, height);
    move(118, 125);
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
    Connect1->addSeparator();
    Exit1 = AddItem(Connect1, "Exit1", "&Exit");
    Materials1 = AddMenu(bar, "Materials1", "&Materials");
    PrintMaterials = AddItem(Materials1, "PrintMaterials", "&Print Materials..");
    PreviewMaterials = AddItem(Materials1, "PreviewMaterials", "Print preview..");
    Reports = AddItem(Materials1, "Reports", "&Reports..");
    ExporttoMaterialstxt1 = AddItem(Materials1, "ExporttoMaterialstxt1", "Export to Materials.txt");
    ImportPriceList = AddItem(Materials1, "ImportPriceList", "Import price list..");
    Products1 = AddMenu(bar, "Products1", "Products");
    PrintProducts = AddItem(Products1, "PrintProducts", "&Print Products..");
    PreviewProducts = AddItem(Products1, "PreviewProducts", "Print preview..");
    PriceAnalysis = AddItem(Products1, "PriceAnalysis", "Price &Analysis ..");
    ExporttoProductstxt1 = AddItem(Products1, "ExporttoProductstxt1", "&Export to Products.txt");
    Recipes1 = AddMenu(bar, "Recipes1", "&Recipes");
    PrintRecipe = AddItem(Recipes1, "PrintRecipe", "&Print Recipe..");
    PreviewRecipe = AddItem(Recipes1, "PreviewRecipe", "Print preview..");
    ExporttoProducttxt1 = AddItem(Recipes1, "ExporttoProducttxt1", "&Export to Recipe.txt");
    Productionnotes = AddItem(Recipes1, "Productionnotes", "Production &notes..");
    RawMaterials = AddItem(Recipes1, "RawMaterials", "Raw Materials..");
    Help1 = AddMenu(bar, "Help1", "&Help");
    About = AddItem(Help1, "About", "&About");
    HelpIndex = AddItem(Help1, "HelpIndex", "&Help");
    Quit1 = bar->addAction("&Quit");
    Quit1->setObjectName("Quit1");
    Connect(RestoreBackup, this, &TForm1::RestoreBackupClick);
    Connect(Exit1, this, &TForm1::Exit1Click);
    Connect(Quit1, this, &TForm1::Quit1Click);
    Connect(PrintMaterials, this, &TForm1::PrintMaterialsClick);
    Connect(PreviewMaterials, this, &TForm1::PreviewMaterialsClick);
    Connect(Reports, this, &TForm1::ReportsClick);
    Connect(ExporttoMaterialstxt1, this, &TForm1::ExporttoMaterialstxt1Click);
    Connect(ImportPriceList, this, &TForm1::ImportPriceListClick);
    Connect(PrintProducts, this, &TForm1::PrintProductsClick);
    Connect(PreviewProducts, this, &TForm1::PreviewProductsClick);
    Connect(PriceAnalysis, this, &TForm1::PriceAnalysisClick);
    Connect(ExporttoProductstxt1, this, &TForm1::ExporttoProductstxt1Click);
    Connect(PrintRecipe, this, &TForm1::PrintRecipeClick);
    Connect(PreviewRecipe, this, &TForm1::PreviewRecipeClick);
    Connect(ExporttoProducttxt1, this, &TForm1::ExporttoProducttxt1Click);
    Connect(Productionnotes, this, &TForm1::ProductionnotesClick);
    Connect(RawMaterials, this, &TForm1::RawMaterialsClick);
    Connect(About, this, &TForm1::AboutClick);
    Connect(HelpIndex, this, &TForm1::HelpIndexClick);

    ProductMenu = new QMenu(this);
    ProductMenu->setObjectName("ProductMenu");
    NewProduct = AddItem(ProductMenu, "NewProduct", "New Product");
    RenameProduct = AddItem(ProductMenu, "RenameProduct", "Rename Product");
    DeleteProduct = AddItem(ProductMenu, "DeleteProduct", "Delete Product");
    Connect(NewProduct, this, &TForm1::NewProductClick);
    Connect(RenameProduct, this, &TForm1::RenameProductClick);
    Connect(DeleteProduct, this, &TForm1::DeleteProductClick);

    MaterialsMenu = new QMenu(this);
    MaterialsMenu->setObjectName("MaterialsMenu");
    NewComponent = AddItem(MaterialsMenu, "NewComponent", "New Component");
    RenameComponent = AddItem(MaterialsMenu, "RenameComponent", "Edit Component");
    DeleteComponent = AddItem(MaterialsMenu, "DeleteComponent", "Delete Component");
    Connect(NewComponent, this, &TForm1::NewComponentClick);
    Connect(RenameComponent, this, &TForm1::RenameComponentClick);
    Connect(DeleteComponent, this, &TForm1::DeleteComponentClick);
    MaterialsMenu->addSeparator();
    WhereUsed = AddItem(MaterialsMenu, "WhereUsed", "Where Used..");
    Connect(WhereUsed, this, &TForm1::WhereUsedClick);

    RecMenu = new QMenu(this);
    RecMenu->setObjectName("RecMenu");
    AddComponent1 = AddItem(RecMenu, "AddComponent1", "Add Component");
    EditComponentMass1 = AddItem(RecMenu, "EditComponentMass1", "Edit Component / Mass");
    DeleteComponent1 = AddItem(RecMenu, "DeleteComponent1", "Delete Component");
    Connect(AddComponent1, this, &TForm1::AddComponent1Click);
    Connect(EditComponentMass1, this, &TForm1::EditComponentMass1Click);
    Connect(DeleteComponent1, this, &TForm1::DeleteComponent1Click);
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

    MessageHint1 = new TMessageHint(this);
    MessageHint1->setObjectName("MessageHint1");
    ShapeHint1 = new TShapeHint(this);
    ShapeHint1->setObjectName("ShapeHint1");

    SetHelpContext(*StringGrid1, HelpProducts);
    SetHelpContext(*StringGrid2, HelpComponents);
    SetHelpContext(*StringGrid3, HelpRecipe);
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

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (QWidget* client = centralWidget())
        BevelStatusBar1->setGeometry(0, client->height() - 19, client->width(), 19);
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
    // The recomputation and the list it feeds hold the write lock from the start, so another program's
    // brief lock is waited for once and never fails the action half-way.
    WithDatabase([this, &incomplete] {
        InTransaction(Database, [this, &incomplete] {
            RecomputeProducts(Database);
            std::vector<std::string> tooLarge = ClearUncomputedPrices(Database);
            StringGrid1->SetCells(0, 0, " Product");
            StringGrid1->SetCells(1, 0, " Price/kg");
            LoadProductList(Database, ListRowLoader);
            incomplete = IncompletePrices(Database);
            AddUncomputedPrices(incomplete, std::move(tooLarge));
        });
    });
    FormatNumberColumn(*StringGrid1, "####0.00", 8);
    ShowIncompletePrices(incomplete);
    const std::string shownBefore = Edit1->Text();
    StringGrid1DblClick();
    SelectRowByName(*StringGrid1, shownBefore);
}

void TForm1::ShowIncompletePrices(const std::vector<TIncompletePrice>& products) {
    // Both lists come sorted by name in byte order: one pass over the grid finds every row.
    TStringGrid& grid = *StringGrid1;
    const int last = grid.RowCount() - 2;
    int row = 1;
    int count = 0;
    for (const TIncompletePrice& product : products) {
        while (row <= last && grid.Cells(0, row) < product.Product)
            ++row;
        if (row <= last && grid.Cells(0, row) == product.Product) {
            MarkIncomplete(grid, row, IncompletePriceNote(product));
            ++count;
            ++row;
        }
    }
    std::string status = BevelStatusBar1->SimpleText();
    if (!IncompleteStatus.empty() && status.ends_with(IncompleteStatus))
        status.resize(status.size() - IncompleteStatus.size());
    if (count == 0)
        IncompleteStatus.clear();
    else if (count == 1)
        IncompleteStatus = "  1 product with an incomplete price |";
    else
        IncompleteStatus = "  " + std::to_string(count) + " products with incomplete prices |";
    BevelStatusBar1->SetSimpleText(status + IncompleteStatus);
}

void TForm1::Refresh2Click() {
    PrepareGrid(*StringGrid2);
    WithDatabase([this] {
        StringGrid2->SetCells(0, 0, "Component");
        StringGrid2->SetCells(1, 0, " Price/kg");
        LoadComponentList(Database, ListRowLoader);
    });
    FormatNumberColumn(*StringGrid2, "####0.00", 8);
}

void TForm1::PageControl1Change() {
    const bool components = PageControl1->currentWidget() == COMPONENTS;
    FComponentsShowing = components;
    SetMenuEnabled(*Materials1, components);
    SetMenuEnabled(*Products1, !components);
    SetMenuEnabled(*Recipes1, !components);
    SetBackground(*Edit1, ButtonFaceColor());
    TotalEdit->SetReadOnly(true);
    StringGrid3->setEnabled(!components);
    SetBackground(*StringGrid3, components ? ButtonFaceColor() : WindowColor());
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
}

void TForm1::StringGrid1DblClick() {
    ClearRecipe();
    StringGrid3->SetCells(0, 0, " Component");
    StringGrid3->SetCells(1, 0, "   Mass");
    const std::string product = StringGrid1->Cells(0, StringGrid1->Row());
    Edit1->SetText(product);
    std::vector<std::string> noPrice;
    WithDatabase([&product, &noPrice] {
        LoadRecipe(Database, product, RecipeRowLoader);
        noPrice = NoPriceLines(Database, product);
    });
    // Batches are weighed from these masses: to the gram.
    TotalEdit->SetAsFloat(FormatNumberColumn(*StringGrid3, "####0.000", 8));
    for (int r = 1; !noPrice.empty() && r <= StringGrid3->RowCount() - 2; ++r)
        if (const auto id = RecipeLineId(r); id && std::find(noPrice.begin(), noPrice.end(), *id) != noPrice.end())
            MarkIncomplete(*StringGrid3, r, "No price for this component");
    HelpContext = HelpProducts;
}

void TForm1::StringGrid3Click() {
    HelpContext = HelpRecipe;
}

void TForm1::Quit1Click() {
    Application.Terminate();
}

void TForm1::Exit1Click() {
    Application.Terminate();
}

void TForm1::NewProductClick() {
    std::string name;
    if (!AskText("New Recipe", "Enter a new productname", name))
        return;
    name = UpperCase(name);
    if (ListHasName(*StringGrid1, name)) {
        ShowMessage("Product already exists");
        return;
    }
    if (name.empty())
        return;
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
    std::string name;
    if (!AskText("Rename " + oldName, "Rename " + oldName, name) || name.empty())
        return;
    name = UpperCase(name);
    if (ListHasName(*StringGrid1, name)) {
        ShowMessage("Product already exists");
        return;
    }
    Edit1->SetText(name);
    TWriteBackup backup = BeforeUserWrite();
    const bool written = WithDatabase([&] { ChangeProductName(Database, oldName, name); });
    if (!written)
        backup.Discard();
    Refresh1Click();
    SelectRowByName(*StringGrid1, name);
}

void TForm1::DeleteProductClick() {
    const std::string name = StringGrid1->Cells(0, StringGrid1->Row());
    if (name.empty() || !ConfirmYesNo("Delete " + name + " ??"))
        return;
    TWriteBackup backup = BeforeBulkWrite();
    const bool written = WithDatabase([&name] { RemoveProduct(Database, name); });
    if (!written)
        backup.Discard();
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
        WithDatabase([&request] { request.Stored = ReadStoredComponent(Database, request.Component); });
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
        const std::string& stored = ShownQuantities[static_cast<std::size_t>(row)];
        const ParseResult number = ParseNumber(StringManager.CommaToPoint(stored));
        request.Mass = number.ErrorPos ? 0.0 : number.Value;
        if (!request.NewRecipeLine)
            request.StoredQuantity = stored;
    }
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
    Rec->Execute(std::move(request));
    StringGrid1DblClick();
    HelpContext = HelpRecipe;
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

// The other windows

void TForm1::ReportsClick() {
    ShowModal(*Form4);
}

void TForm1::PriceAnalysisClick() {
    ShowModal(*Form5);
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
