#pragma once

#include "core/config/AppConfig.h"
#include "core/regions/DetectionAreas.h"
#include "core/regions/EditHistory.h"
#include "core/regions/TevoArea.h"
#include "gui/editors/DetectSettingSubDlgBace.h"
#include "gui/editors/OrgRectTracker.h"
#include "gui/editors/RegionEditAids.h"
#include "gui/uikit/AlphaDC.h"

#include <array>
#include <optional>

class QLabel;

namespace orlo {

class CDetectAreaList;

// Colours of the human detection area (red) and the near-range motion detection area (gold).
inline constexpr std::array<std::uint32_t, DETECTION_AREA_COUNT> DETECTION_AREA_COLOURS{0x0000FF, 0x00D7FF};

// The detection area editor "検出領域設定": both detection areas laid translucently over the picture
// in the order of the list (the first on top). The area picked in the list gets handles and is moved
// or resized with them; an area that ends up covering exactly the picture means the whole frame and
// is kept unset. The arrow buttons change the order, which is stored in the configuration at once.
// Changes of the areas and of the order are steps of the editor's undo history; the editing aids
// place the picked area by numbers and keys.
class CDetectAreaSettingDlg final : public CDetectSettingSubDlgBace, public CRegionEditTarget {
    Q_OBJECT

public:
    using Areas = std::array<Rect, DETECTION_AREA_COUNT>;

    // areas is the page's copy (index = area id); the order is read from and written to config.
    CDetectAreaSettingDlg(DeviceSession* session, QWidget* owner, const Areas& areas,
                          AppConfig config = AppConfig("."));

    // The edited areas; after an OK every set edge lies on the frame's pixels.
    const Areas& GetAreas() const { return areas_; }
    // Area id picked in the list, -1 for none.
    int SelectedArea() const { return selectedArea_; }
    bool TrackerShown() const { return trackerShown_; }
    Rect TrackerRect() const { return tracker_.GetTrueRect(); }
    CDetectAreaList* AreaList() const { return areaList_; }
    CImgButton* UpButton() const { return upButton_; }
    CImgButton* DownButton() const { return downButton_; }
    const CRegionEditAids& EditAids() const { return *aids_; }

    Rect SelectedRegion() const override;
    void PlaceSelectedRegion(const Rect& sensorRect) override;
    void SelectNextRegion() override;
    void UndoChange() override;
    void RedoChange() override;
    bool CanUndo() const override { return history_.CanUndo(); }
    bool CanRedo() const override { return history_.CanRedo(); }
    Rules PlacementRules() const override;
    bool IsDragging() const override { return tracker_.IsTracking(); }

public slots:
    // Clamps both areas onto the frame for the page, then ends with OK.
    void accept() override;

protected:
    void LayoutControls() override;
    double ScaleFor(const CImageData& picture) const override;
    void OnLoaded() override;
    void DrawSurface() override;

    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Escape gives up a drag of the tracker; otherwise Enter and Escape do nothing.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The area on the surface, the whole frame when it is unset.
    Rect AreaOnSurface(int id) const;
    void SelectFromList(int index);
    void MoveSelected(int direction);
    void WriteOrder();
    DetectAreaEditState SaveState() const;
    void CommitChange(const DetectAreaEditState& before);
    // Puts the areas and order of an undo or redo step back; nothing when there was no step.
    void ShowHistoryStep(const std::optional<DetectAreaEditState>& state);

    AppConfig config_;
    Areas areas_;
    std::array<CAlphaDC, DETECTION_AREA_COUNT> areaFills_;
    COrgRectTracker tracker_;
    CDetectAreaList* areaList_;
    QLabel* listHeading_; // what the list's order means
    CImgButton* upButton_;
    CImgButton* downButton_;
    int selectedArea_ = -1;
    bool trackerShown_ = false;
    EditHistory<DetectAreaEditState> history_;
    CRegionEditAids* aids_;
};

} // namespace orlo
