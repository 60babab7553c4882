#pragma once

#include "core/regions/EditHistory.h"
#include "core/regions/MaskEditing.h"
#include "core/regions/TevoArea.h"
#include "gui/editors/DeleteKeyWatch.h"
#include "gui/editors/DetectSettingSubDlgBace.h"
#include "gui/editors/MaskAreaDC.h"
#include "gui/editors/OrgRectTracker.h"
#include "gui/editors/RegionEditAids.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orlo {

class COrgListCtrl;

// Posted by a mask editor to itself to ask before a region is deleted; lParam = slot position.
inline constexpr int WM_APP_DELETEREQUEST = 0x1402;

// The mask editors: the picture with the regions of a 16-slot collection, a list of the slots in
// use and the gestures. A press on a region selects it and tracks it (move or resize); a press on
// free picture area draws a new region with a rubber band clamped to the picture; Delete (released)
// or a list row's delete image asks before a region is removed; "一括削除" removes them all. The
// concrete editors own the collection and its list columns. Every change of the slots is one step of
// the editor's undo history; the editing aids place the selected region by numbers and keys.
class CMaskSettingDlg : public CDetectSettingSubDlgBace, public CRegionEditTarget {
    Q_OBJECT

public:
    CMaskSettingDlg(DeviceSession* session, QWidget* owner, std::uint32_t fillColour);

    // The region colour (0x00BBGGRR) given by the page.
    void SetFillColour(std::uint32_t colorRef);

    int SelectedSlot() const { return selectedSlot_; }
    int ListSelection() const { return listSelection_; }
    bool TrackerShown() const { return trackerShown_; }
    bool IsCreating() const { return creating_; }
    // In surface coordinates; unset when nothing is being drawn.
    Rect RubberBand() const { return rubberBand_; }
    Rect TrackerRect() const { return tracker_.GetTrueRect(); }
    COrgListCtrl* List() const { return list_; }
    CImgButton* DeleteAllButton() const { return deleteAllButton_; }
    const CRegionEditAids& EditAids() const { return *aids_; }

    Rect SelectedRegion() const override;
    void PlaceSelectedRegion(const Rect& sensorRect) override;
    void SelectNextRegion() override;
    void UndoChange() override;
    void RedoChange() override;
    bool CanUndo() const override { return history_.CanUndo(); }
    bool CanRedo() const override { return history_.CanRedo(); }
    Rules PlacementRules() const override;
    bool IsDragging() const override { return tracker_.IsTracking() || creating_; }

protected:
    // The slot whose surface rectangle holds the surface point (the selected one first), with that
    // rectangle; -1 for none.
    virtual int HitTest(Point surfacePoint, Rect& hitRect) const;
    // Puts a drawn region (sensor coordinates) into the first free slot; nothing when all are used.
    virtual void AddRegion(const Rect& sensorRect);
    virtual bool HasFreeSlot() const;
    void DrawSurface() override;
    virtual void DrawRegions() = 0;
    virtual void RefreshList();
    virtual void FillList() = 0;
    virtual void DeleteRegion(int position);
    virtual int GetRegionNumber(int position) const;
    virtual void SetRegionRect(int position, const Rect& sensorRect);
    virtual Rect GetRegionRect(int position) const;
    // A click on a list row; ListSelection() is that row's slot.
    virtual void OnListCellClick(int column) = 0;
    void RequestDelete(int position);
    virtual int RegionCount() const = 0;
    virtual CTevoArea& Region(int position) = 0;
    virtual const CTevoArea& Region(int position) const = 0;
    // A region just put into a free slot, before the list is refreshed.
    virtual void PrepareNewRegion(int /*position*/) {}
    // The judgement of a slot as the history keeps it; the editors without one keep the default.
    virtual Judgement SlotJudgement(int /*position*/) const { return {}; }
    virtual void SetSlotJudgement(int /*position*/, const Judgement& /*judgement*/) {}

    using SlotStates = std::vector<MaskSlotState>;
    SlotStates SaveSlots() const;
    // Records the change from before to the slots as they are now as one step of the history.
    void CommitChange(const SlotStates& before);

    // The list's columns and images.
    virtual void SetupList() = 0;
    void InitControls() override;
    double ScaleFor(const CImageData& picture) const override;
    void OnLoaded() override;

    // Sizes the list to its columns and 20 rows.
    void FitList();
    // The display box, the update button and the list's place; the list is centred over a column
    // of columnWidth pixels starting at ListLeft.
    void LayoutPictureAndList(int columnWidth);
    // OK and Cancel 16 pixels below the display box and the lowest control (contentBottom), around
    // the dialog's centre; the dialog reaches 8 pixels beyond contentRight and 16 below the buttons.
    void LayoutButtonRow(int contentRight, int contentBottom);
    // The selected region's numbers under the list's left edge from top, as wide as the list or as
    // their texts need; returns where they lie.
    QRect PlaceNumbers(int top);

    static constexpr int ListLeft = 616;
    static constexpr int ControlGap = 8;
    const CMaskAreaDC& RegionPainter() const { return painter_; }

    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Escape gives up a drag of the tracker; otherwise Enter and Escape do nothing.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnListClick(int row, int column);
    void AskDelete(int position);
    void DeleteAll();
    void DrawRubberBand();
    bool DeleteKeyReleased();
    void RestoreSlots(const SlotStates& states);
    // Shows the tracker on the selected slot where the slot now lies, or drops a selection whose
    // slot was emptied.
    void FollowSelection();
    // Puts the slots of an undo or redo step back; nothing when there was no step.
    void ShowHistoryStep(const std::optional<SlotStates>& states);

    COrgListCtrl* list_;
    CImgButton* deleteAllButton_;
    CMaskAreaDC painter_;
    COrgRectTracker tracker_;
    int selectedSlot_ = -1;
    int listSelection_ = -1;
    bool trackerShown_ = false;
    bool creating_ = false;
    Rect rubberBand_ = UNSET_RECT;
    Point dragStart_;
    Point dragPoint_;
    CDeleteKeyWatch deleteWatch_;
    EditHistory<SlotStates> history_;
    CRegionEditAids* aids_;
};

} // namespace orlo
