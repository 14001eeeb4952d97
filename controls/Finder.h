// Find as you type in a combo box of names: each keystroke lists the names that contain every typed word,
// ignoring case and accents, the likeliest first, in a list under the field; picking one puts that entry
// in the field, with its bytes.
#pragma once

#include "text/Finder.h"

#include <QAbstractListModel>
#include <QObject>

#include <cstddef>
#include <vector>

class QAbstractItemView;
class QCompleter;
class TComboBox;

// The entries of the box's list that the text typed found, in their ranked order.
class TFoundModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TFoundModel(const TComboBox& box, QObject* parent = nullptr) : QAbstractListModel(parent), FBox(box) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    const std::vector<std::size_t>& Found() const { return FFound; }
    void SetFound(std::vector<std::size_t> found);

private:
    const TComboBox& FBox;
    std::vector<std::size_t> FFound;
};

class TComboFinder : public QObject {
    Q_OBJECT
public:
    // The most names the list shows at once.
    static constexpr std::size_t MaxFound = 30;

    explicit TComboFinder(TComboBox& box);
    // Takes in the names of the box's list as loaded now; called after every load.
    void Load();
    // Enter while the list shows: the name marked in it is put in the field and the list closes. False when
    // no list showed or no name was marked.
    bool PickCurrent();
    // The list of names found, under the field while it shows.
    QAbstractItemView* List() const;
    // The indexes, into the box's list, of the names the list shows.
    const std::vector<std::size_t>& Found() const { return FModel.Found(); }

private:
    void TextEdited(const QString& text);
    void Picked(const QModelIndex& index);

    TComboBox& FBox;
    TNameFinder FFinder;
    TFoundModel FModel;
    QCompleter* FCompleter;
};
