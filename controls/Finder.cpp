#include "controls/Finder.h"

#include "controls/StdCtrls.h"
#include "platform/Application.h"
#include "platform/QtText.h"

#include <QAbstractItemView>
#include <QAbstractProxyModel>
#include <QCompleter>
#include <QItemSelectionModel>
#include <QLineEdit>

#include <algorithm>

int TFoundModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(FFound.size());
}

QVariant TFoundModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= FFound.size())
        return {};
    const TItemsModel& items = FBox.ItemsModel();
    return items.data(items.index(static_cast<int>(FFound[static_cast<std::size_t>(index.row())])), role);
}

void TFoundModel::SetFound(std::vector<std::size_t> found) {
    beginResetModel();
    FFound = std::move(found);
    endResetModel();
}

TComboFinder::TComboFinder(TComboBox& box) : QObject(&box), FBox(box), FModel(box, this) {
    FCompleter = new QCompleter(this);
    FCompleter->setModel(&FModel);
    FCompleter->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    FCompleter->setMaxVisibleItems(12);
    // The box's own completion would put the first name in the field as the user types: this finder lists
    // instead, and only a name picked from the list is put in.
    box.setCompleter(nullptr);
    FCompleter->setWidget(&box);
    FCompleter->popup()->setItemDelegate(new TNoteDelegate(FCompleter->popup()));
    FCompleter->popup()->setObjectName("FoundList");
    FCompleter->popup()->setAccessibleName("Components found");
    box.view()->setItemDelegate(new TNoteDelegate(box.view()));
    connect(box.lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { Guarded([this, &text] { TextEdited(text); }); });
    connect(FCompleter, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) { Guarded([this, &index] { Picked(index); }); });
}

void TComboFinder::Load() {
    FFinder = TNameFinder(FBox.Items());
    FModel.SetFound({});
}

QAbstractItemView* TComboFinder::List() const {
    return FCompleter->popup();
}

void TComboFinder::TextEdited(const QString& text) {
    FModel.SetFound(FFinder.Find(FromQt(text), MaxFound));
    if (FModel.Found().empty()) {
        FCompleter->popup()->hide();
        return;
    }
    // The list in the field's own font, wide enough for a long name and its price beside it.
    FCompleter->popup()->setFont(FBox.font());
    const int width = std::max(FBox.width(), FCompleter->popup()->sizeHintForColumn(0) + 24);
    FCompleter->complete(QRect(0, 0, width, FBox.height()));
    // The first name found is the one Enter takes.
    FCompleter->popup()->selectionModel()->setCurrentIndex(FCompleter->completionModel()->index(0, 0),
                                                           QItemSelectionModel::ClearAndSelect);
}

bool TComboFinder::PickCurrent() {
    QAbstractItemView* list = FCompleter->popup();
    if (!list->isVisible())
        return false;
    const QModelIndex current = list->currentIndex();
    list->hide();
    if (!current.isValid())
        return false;
    Picked(current);
    return true;
}

void TComboFinder::Picked(const QModelIndex& index) {
    // The list shows the completer's view of the names found.
    const auto* shown = qobject_cast<const QAbstractProxyModel*>(index.model());
    const QModelIndex found = shown ? shown->mapToSource(index) : index;
    if (!found.isValid() || static_cast<std::size_t>(found.row()) >= FModel.Found().size())
        return;
    // By index, so that the entry keeps the bytes it was loaded with.
    FBox.setCurrentIndex(static_cast<int>(FModel.Found()[static_cast<std::size_t>(found.row())]));
}
