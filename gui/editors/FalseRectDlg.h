#pragma once

#include "core/regions/EditHistory.h"
#include "core/regions/FalseRectRegistration.h"
#include "gui/editors/DetectionRunDlgBase.h"
#include "gui/editors/RegionEditAids.h"

#include <vector>

namespace orlo {

class COrgListCtrl;

// The false-detection registration "誤検出矩形登録": a fresh detection run of the sensor offers its
// detections that no rule excluded as candidates; "登録 >>" registers the selected candidate in the
// first free of the ten slots (Added, written when the page applies), "<< 削除" clears the selected
// registered rectangle (Removed). A click on the picture selects the rectangle under it, candidates
// first. Nothing is drawn by hand, so the rectangles take no numbers or arrow keys; registrations and
// removals can be undone (Ctrl+Z, Ctrl+Y) until a new run brings other candidates, and Tab steps
// through the registered rectangles. A hint line under the picture says how.
class CFalseRectDlg final : public CDetectionRunDlgBase, public CRegionEditTarget {
    Q_OBJECT

public:
    // registered is the page's copy; a shorter list is completed with empty slots.
    CFalseRectDlg(DeviceSession* session, QWidget* owner, std::vector<CFalseRectArea> registered);

    // What the page does before it opens the editor on its rectangles: when some registration has not
    // been applied it asks whether to go on (message 1127); No returns false and changes nothing.
    // Otherwise every unapplied registration becomes a pending removal and the answer is true.
    static bool ConfirmOpening(QWidget* page, std::vector<CFalseRectArea>& pageRects);

    // The edited copy, for the page after an OK.
    const std::vector<CFalseRectArea>& Registered() const { return registration_.Registered(); }
    const std::vector<FalseRectCandidate>& Candidates() const { return registration_.Candidates(); }
    // Position in Candidates() and slot in Registered(); -1 for none.
    int CandidateSelection() const { return candidateSelection_; }
    int RegisteredSelection() const { return registeredSelection_; }
    COrgListCtrl* CandidateList() const { return candidateList_; }
    COrgListCtrl* RegisteredList() const { return registeredList_; }
    CImgButton* RegisterButton() const { return registerButton_; }
    CImgButton* DeleteButton() const { return deleteButton_; }
    const CRegionEditAids& EditAids() const { return *aids_; }

    // The editing aids' view: no region is placed by numbers or keys here.
    Rect SelectedRegion() const override { return UNSET_RECT; }
    void PlaceSelectedRegion(const Rect&) override {}
    void SelectNextRegion() override;
    void UndoChange() override;
    void RedoChange() override;
    bool CanUndo() const override { return history_.CanUndo(); }
    bool CanRedo() const override { return history_.CanRedo(); }
    Rules PlacementRules() const override { return {}; }
    bool IsDragging() const override { return false; }

protected:
    void LayoutControls() override;
    // Unapplied registrations are lost by a new run: asks first (message 1126).
    void UpdateImage() override;
    void OnLoaded() override;
    void DrawSurface() override;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetupList(COrgListCtrl& list);
    void FillCandidateList();
    void FillRegisteredList();
    void Register();
    void Delete();
    void OnListClick(COrgListCtrl& list, int row);
    void ClearSelections();
    void SelectAt(QPoint client);
    void SelectionChanged();
    // Shows a state the history gave back.
    void ShowRestored(FalseRectRegistration::State state);

    FalseRectRegistration registration_;
    COrgListCtrl* candidateList_;
    COrgListCtrl* registeredList_;
    CImgButton* registerButton_;
    CImgButton* deleteButton_;
    EditHistory<FalseRectRegistration::State> history_;
    CRegionEditAids* aids_;
    int candidateSelection_ = -1;
    int registeredSelection_ = -1;
    QPoint pressPoint_;
    bool pressing_ = false;
};

} // namespace orlo
