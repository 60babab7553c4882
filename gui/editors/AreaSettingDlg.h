#pragma once

#include "core/regions/TevoArea.h"
#include "gui/editors/MaskSettingDlg.h"

#include <vector>

namespace orlo {

// The area colour the detection page gives the area-mask editor.
inline constexpr std::uint32_t AREA_MASK_COLOUR = 0xFFFFFF;

// The area-mask editor "エリア設定": the 16 area masks with their judgement. The list shows each
// mask in use with its judgement, a judgement button and a delete button; "一括設定" gives every mask
// in use one judgement. A new mask judges by its centre point.
class CAreaSettingDlg final : public CMaskSettingDlg {
    Q_OBJECT

public:
    // areas is the page's copy; a shorter list is completed with empty slots.
    CAreaSettingDlg(DeviceSession* session, QWidget* owner, std::vector<CAreaMaskArea> areas,
                    std::uint32_t fillColour = AREA_MASK_COLOUR);

    // The edited copy, for the page after an OK.
    const std::vector<CAreaMaskArea>& Areas() const { return areas_; }
    CImgButton* BulkJudgementButton() const { return bulkButton_; }

    // The list's judgement text of a mask: "中心点", "足元点", "重なり n%" or nothing.
    static QString JudgementText(const Judgement& judgement);

protected:
    void SetupList() override;
    void LayoutControls() override;
    void DrawRegions() override;
    void RefreshList() override;
    void FillList() override;
    void OnListCellClick(int column) override;
    int RegionCount() const override { return static_cast<int>(areas_.size()); }
    CTevoArea& Region(int position) override { return areas_[static_cast<std::size_t>(position)]; }
    const CTevoArea& Region(int position) const override {
        return areas_[static_cast<std::size_t>(position)];
    }
    void PrepareNewRegion(int position) override;
    Judgement SlotJudgement(int position) const override;
    void SetSlotJudgement(int position, const Judgement& judgement) override;

private:
    void EditJudgement(int position);
    void BulkJudgement();

    std::vector<CAreaMaskArea> areas_;
    CImgButton* bulkButton_;
};

} // namespace orlo
