// A list box of text lines that keeps each line's bytes and expands tabs to stops at a fixed spacing.
#pragma once

#include <QAbstractListModel>
#include <QListView>

#include <string>
#include <vector>

class TListBox;

class TListBoxModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TListBoxModel(const TListBox& box) : FBox(box) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    friend class TListBox;
    const TListBox& FBox;
};

class TListBox : public QListView {
    Q_OBJECT
public:
    explicit TListBox(QWidget* parent = nullptr);

    const std::vector<std::string>& Items() const { return FItems; }
    void AddItems(const std::vector<std::string>& lines);
    void Clear();

    // The spacing of the tab stops in dialog units, four to the average character width of the font.
    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int width);
    // The same spacing in pixels of the list box's font.
    int TabStopPixels() const;

    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int height);

private:
    TListBoxModel FModel;
    std::vector<std::string> FItems;
    int FTabWidth = 0;
    int FItemHeight = 13;
};
