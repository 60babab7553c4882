#pragma once

#include "core/settings/CameraSettings.h"
#include "core/settings/ModeList.h"
#include "gui/settings/SettingBaseDlg.h"

#include <array>
#include <filesystem>
#include <optional>

class QLabel;

namespace orlo {

class COrgComboBox;

// The camera page: the mounting direction, chosen with four picture buttons that act as one radio
// group, and the operating mode, chosen from the mode list file. A new direction changes the
// sensor's frame, so the page warns that the regions must be set again and refreshes what the
// session keeps about orientation and detection areas.
class CCameraDlg : public CSettingBaseDlg {
    Q_OBJECT

public:
    static constexpr int NOMINAL_DURATION_MS = 2000;
    static constexpr int DIRECTION_COUNT = 4;

    // The mode list is read from modeListFile once, here.
    CCameraDlg(DeviceSession& session, QWidget* mainWindow, std::filesystem::path modeListFile);

    CImgButton* DirectionButton(int direction) const {
        return directionButtons_[static_cast<std::size_t>(direction)];
    }
    COrgComboBox* ModeList() const { return modeList_; }
    // The selected direction button's index; 0 when none is selected.
    int SelectedDirection() const;

protected:
    void InitControls() override;
    void LayoutControls() override;
    void ShowValues() override;
    int CollectValues() override;
    bool IsUnchanged() const override;
    ResultCode LoadWorker() override;
    ResultCode ApplyWorker(SettingsApplyProgress& progress) override;
    void KeepEdits() override { kept_ = edited_; }
    void RestoreKeptEdits() override;
    void DropKeptEdits() override { kept_.reset(); }

private:
    void SelectDirection(int direction);
    void FillModeList();

    std::filesystem::path modeListFile_;
    QLabel* directionCaption_;
    std::array<CImgButton*, DIRECTION_COUNT> directionButtons_{};
    std::array<QLabel*, DIRECTION_COUNT> directionLabels_{};
    QLabel* modeCaption_;
    COrgComboBox* modeList_;

    // Written by the workers, read by the user-interface thread after they have ended.
    CameraValues sensor_;              // as last read from the sensor
    CameraValues edited_;              // just read by a worker, or taken from the controls
    std::optional<CameraValues> kept_; // edits a lost link kept from the sensor
    CameraChange change_;              // decided by CollectValues for the apply worker
};

} // namespace orlo
