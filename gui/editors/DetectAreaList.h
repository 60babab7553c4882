#pragma once

#include "gui/uikit/ListDC.h"

#include <QColor>
#include <QWidget>
#include <memory>
#include <vector>

namespace orlo {

// Posted by the detection area list to its parent on a press: lParam = index of the item hit, or -1.
inline constexpr int WM_APP_AREASELECT = 0x9400;

// The small list of the detection area editor: one row per area with a colour swatch and its label,
// selected by a press. Moving an item up or down exchanges what two rows show (label, colour, id)
// and keeps the moved item selected; the rows themselves stay where they are.
class CDetectAreaList : public QWidget {
    Q_OBJECT

public:
    enum Direction { Up = 0, Down = 1 };

    explicit CDetectAreaList(QWidget* parent);
    ~CDetectAreaList() override;

    // Appends a row; returns its index.
    int AddItem(const QString& label, const QColor& colour, int id);
    // Exchanges the item at index with its neighbour above (Up) or below (Down); nothing when either
    // lies outside the list.
    void MoveItem(int index, int direction);

    int Count() const { return static_cast<int>(entries_.size()); }
    int ItemId(int index) const;
    QString ItemLabel(int index) const;
    bool IsSelected(int index) const;
    // The first selected row, -1 for none.
    int FirstSelected() const;
    bool AnySelected() const { return FirstSelected() != -1; }
    void ClearSelection();
    // Selects the row at index alone, as a press on it would, without telling the parent.
    void SelectItem(int index);
    QRect ItemRect(int index) const;
    // The part of a row's label place that the list shows (inside its outline), and the label's font.
    QRect VisibleLabelRect(int index) const;
    QFont LabelFont(int index) const;
    // One row: as wide as 30 "W" of the parent's plain font plus the swatch, as high as the text or
    // the swatch plus 8.
    QSize ItemSize() const { return itemSize_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct ItemSurface;
    struct Entry {
        QRect rect;
        ItemSurface* item;
        bool selected = false;
    };

    void PaintItem(ItemSurface& item, bool selected) const;

    std::vector<std::unique_ptr<ItemSurface>> items_;
    std::vector<Entry> entries_;
    CListDC back_;
    QSize itemSize_;
};

} // namespace orlo
