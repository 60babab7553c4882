#pragma once

#include "core/regions/TevoArea.h"
#include "gui/editors/MaskSettingDlg.h"

#include <vector>

namespace orlo {

// The motion-mask colour the detection page gives the motion-mask editor (RGB 204, 166, 191).
inline constexpr std::uint32_t MOTION_MASK_COLOUR = 0xBFA6CC;

// The motion-detection mask editor: the 16 motion masks, drawn and edited like the area masks but
// without a judgement; its list shows the number and a delete button.
class CMotionMaskSettingDlg final : public CMaskSettingDlg {
    Q_OBJECT

public:
    // masks is the page's copy; a shorter list is completed with empty slots.
    CMotionMaskSettingDlg(DeviceSession* session, QWidget* owner, std::vector<CTevoArea> masks,
                          std::uint32_t fillColour = MOTION_MASK_COLOUR);

    // The edited copy, for the page after an OK.
    const std::vector<CTevoArea>& Masks() const { return masks_; }

protected:
    void SetupList() override;
    void LayoutControls() override;
    void DrawRegions() override;
    void FillList() override;
    void OnListCellClick(int column) override;
    int RegionCount() const override { return static_cast<int>(masks_.size()); }
    CTevoArea& Region(int position) override { return masks_[static_cast<std::size_t>(position)]; }
    const CTevoArea& Region(int position) const override {
        return masks_[static_cast<std::size_t>(position)];
    }

private:
    std::vector<CTevoArea> masks_;
};

} // namespace orlo
