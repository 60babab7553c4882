#pragma once

#include "core/regions/Geometry.h"

#include <QObject>

class QLabel;
class QToolButton;
class QWidget;

namespace orlo {

class CRegionNumbers;

// What a region editor offers to the keyboard, the numbers and the undo buttons.
class CRegionEditTarget {
public:
    // How a selected region may be placed: edge bounds and minimum side in sensor units, and the
    // editor's scale (surface pixels per sensor unit) for the arrow steps.
    struct Rules {
        Rect bounds = UNSET_RECT;
        std::int32_t minimumSide = 1;
        double scale = 1.0;
    };

    virtual ~CRegionEditTarget() = default;
    // The selected region in sensor units; unset when nothing is selected or nothing can be edited.
    virtual Rect SelectedRegion() const = 0;
    // Puts the selected region at a rectangle (sensor units) as one change of the session.
    virtual void PlaceSelectedRegion(const Rect& sensorRect) = 0;
    virtual void SelectNextRegion() = 0;
    virtual void UndoChange() = 0;
    virtual void RedoChange() = 0;
    virtual bool CanUndo() const = 0;
    virtual bool CanRedo() const = 0;
    virtual Rules PlacementRules() const = 0;
    // A mouse drag is under way: keys leave the region alone.
    virtual bool IsDragging() const = 0;
};

// The editing aids of a region editor: undo and redo buttons beside the update-image button, the
// selected region's numbers, a hint line under the picture, and the keys (arrows move by one surface
// pixel, Shift by ten, Alt+arrows move the right or bottom edge, Tab the next region, Ctrl+Z undo,
// Ctrl+Y and Ctrl+Shift+Z redo). Keys reach it wherever the editor's focus is, except in a number box,
// which keeps its own keys.
class CRegionEditAids : public QObject {
    Q_OBJECT

public:
    CRegionEditAids(QWidget& editor, CRegionEditTarget& target, int hintId);
    ~CRegionEditAids() override;

    // Undo and redo to the right of a button at updateButton (its geometry).
    void PlaceButtons(const QRect& updateButton);
    // The hint line from left at top, width wide; returns its bottom.
    int PlaceHint(int left, int top, int width);

    // Numbers and buttons after the selection or the regions changed.
    void Refresh();
    // The numbers of a rectangle being dragged (sensor units).
    void ShowLive(const Rect& sensorRect);

    CRegionNumbers* Numbers() const { return numbers_; }
    QToolButton* UndoButton() const { return undoButton_; }
    QToolButton* RedoButton() const { return redoButton_; }
    QLabel* Hint() const { return hint_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
    void OnEdgeTyped(int edge, int value);

    QWidget& editor_;
    CRegionEditTarget& target_;
    QToolButton* undoButton_;
    QToolButton* redoButton_;
    CRegionNumbers* numbers_;
    QLabel* hint_;
};

} // namespace orlo
