#pragma once

#include "core/config/AppConfig.h"
#include "core/imaging/ImageData.h"
#include "core/settings/DetectionSettings.h"
#include "gui/settings/DetectionPreviews.h"
#include "gui/settings/SettingBaseDlg.h"
#include "gui/uikit/Range.h"

#include <array>
#include <filesystem>
#include <functional>
#include <optional>

class QLabel;

namespace orlo {

class CDetectSettingSubDlgBace;
class CRangeEdit;
class CSpinButton;

// The detection page: the threshold and the size mask edited on the page, and the area masks,
// false-detection rectangles, detection areas and motion masks shown in four previews over the
// sensor's picture and edited in the region editors, which work on copies and hand them back on OK.
// Nothing is sent before "反映". The workers write the value sets and the picture; the previews are
// composed from them on the user-interface thread only when no worker runs, so a repaint while the
// wait dialog is up shows what was there before the task.
class CDetectSettingDlg : public CSettingBaseDlg {
    Q_OBJECT

public:
    static constexpr int NOMINAL_DURATION_MS = 8000;
    static constexpr CRange THRESHOLD_RANGE{1, 1000};
    static constexpr CRange SIZE_RANGE{20, 1600};

    // The detection areas' drawing order (DetectAreaOverlap) is read from Orlo-X1.conf in
    // configDirectory each time the previews are drawn.
    CDetectSettingDlg(DeviceSession& session, QWidget* mainWindow,
                      const std::filesystem::path& configDirectory);

    CRangeEdit* ThresholdEdit() const { return thresholdEdit_; }
    CRangeEdit* SizeMinimumEdit() const { return minimumEdit_; }
    CRangeEdit* SizeMaximumEdit() const { return maximumEdit_; }
    CSpinButton* ThresholdSpin() const { return thresholdSpin_; }
    CImgButton* AreaMaskButton() const { return areaMaskButton_; }
    CImgButton* FalseRectButton() const { return falseRectButton_; }
    CImgButton* DetectionAreaButton() const { return detectionAreaButton_; }
    CImgButton* MotionMaskButton() const { return motionMaskButton_; }
    CImgButton* SizeButton() const { return sizeButton_; }
    // The edited values and the picture under the previews.
    const DetectionValues& EditedValues() const { return edited_; }
    const CImageData& CurrentPicture() const { return picture_; }
    const CDetectionPreviews& Previews() const { return previews_; }
    // Where each preview panel lies on the page.
    QRect PanelRect(PreviewPanel panel) const { return panels_[static_cast<std::size_t>(panel)]; }

    // As the buttons: opens the editor modally and takes its copy back on OK.
    void EditAreaMasks();
    void EditMotionMasks();
    void EditSizeMask();
    void EditFalseRects();
    void EditDetectionAreas();

protected:
    void InitControls() override;
    void LayoutControls() override;
    void ShowValues() override;
    int CollectValues() override;
    bool IsUnchanged() const override;
    ResultCode LoadWorker() override;
    ResultCode ApplyWorker(SettingsApplyProgress& progress) override;
    void KeepEdits() override;
    void RestoreKeptEdits() override;
    void DropKeptEdits() override { kept_.reset(); }

    void paintEvent(QPaintEvent* event) override;

private:
    // Threshold and size limits as the edits show them.
    void ReadControls(DetectionValues& values) const;
    // Runs the editor modally; after an OK takeBack copies its regions into the edited values and the
    // page takes its picture. The previews are drawn again in either case.
    void RunEditor(CDetectSettingSubDlgBace& editor, const std::function<void()>& takeBack);
    // An editor closed with OK brings the picture it showed.
    void TakePicture(const CImageData& picture);
    // Composes the previews from the edited values; only while no worker runs.
    void RedrawPreviews();
    int LayoutPanels(int top);

    AppConfig config_;
    QLabel* thresholdLabel_;
    CRangeEdit* thresholdEdit_;
    CSpinButton* thresholdSpin_;
    QLabel* sizeCaption_;
    QLabel* sizeLabel_;
    CRangeEdit* minimumEdit_;
    CSpinButton* minimumSpin_;
    QLabel* rangeSign_;
    CRangeEdit* maximumEdit_;
    CSpinButton* maximumSpin_;
    CImgButton* sizeButton_;
    std::array<QLabel*, PREVIEW_PANEL_COUNT> panelCaptions_{};
    CImgButton* areaMaskButton_;
    CImgButton* falseRectButton_;
    CImgButton* detectionAreaButton_;
    CImgButton* motionMaskButton_;
    std::array<QRect, PREVIEW_PANEL_COUNT> panels_{};
    CDetectionPreviews previews_;

    // Written by the workers, read by the user-interface thread after they have ended.
    DetectionValues sensor_;              // as last read from the sensor
    DetectionValues edited_;              // just read by a worker, or edited on the page and in the editors
    std::optional<DetectionValues> kept_; // edits a lost link kept from the sensor
    CImageData picture_;                  // the picture under the previews
};

} // namespace orlo
