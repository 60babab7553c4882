#include "gui/settings/DetectSettingDlg.h"

#include "core/regions/DetectionAreas.h"
#include "core/strings/CaptionIds.h"
#include "gui/editors/AreaSettingDlg.h"
#include "gui/editors/DetectAreaSettingDlg.h"
#include "gui/editors/FalseRectDlg.h"
#include "gui/editors/MotionMaskSettingDlg.h"
#include "gui/editors/SizeSettingDlg.h"
#include "gui/settings/PageLayout.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/RangeEdit.h"
#include "gui/uikit/SpinButton.h"
#include "gui/uikit/StringText.h"

#include <QPainter>
#include <algorithm>

namespace orlo {
namespace {

constexpr int MSG_SIZE_MASK_INVALID = 1111;

constexpr int PAGE_WIDTH = 704;
constexpr int LABEL_X = 32;
constexpr int SIZE_LABEL_X = 40;
constexpr int EDIT_X = 160;
constexpr int EDIT_WIDTH = 64;
constexpr int SECTION_GAP = 16;
constexpr int CAPTION_GAP = 8;
constexpr int ROW_GAP = 8;
constexpr int SIZE_BUTTON_GAP = 24;
constexpr int PANEL_GAP = 32;
// Room between the lower panel buttons and "反映", and below it.
constexpr int APPLY_GAP = 16;
constexpr int APPLY_BOTTOM_MARGIN = 40;

CImgButton* PictureButton(const QString& caption, QWidget* parent) {
    auto* button = new CImgButton(caption, parent);
    button->Setup(PIC_COMMON_BUTTON);
    return button;
}

void SetupRangeEdit(CRangeEdit* edit, CSpinButton* spin, CRange range) {
    edit->SetRange(range);
    edit->setAlignment(Qt::AlignRight);
    spin->SetRange(range);
    spin->SetBuddy(edit);
}

} // namespace

CDetectSettingDlg::CDetectSettingDlg(DeviceSession& session, QWidget* mainWindow,
                                     const std::filesystem::path& configDirectory)
    : CSettingBaseDlg(session, mainWindow, NOMINAL_DURATION_MS), config_(configDirectory),
      thresholdLabel_(MakeLabel(StringText(CAP_THRESHOLD), this)), thresholdEdit_(new CRangeEdit(this)),
      thresholdSpin_(new CSpinButton(this)), sizeCaption_(MakeLabel(StringText(CAP_FILTER_SIZE_MASK), this)),
      sizeLabel_(MakeLabel(StringText(CAP_SIZE), this)), minimumEdit_(new CRangeEdit(this)),
      minimumSpin_(new CSpinButton(this)), rangeSign_(MakeLabel(StringText(CAP_RANGE_SIGN), this)),
      maximumEdit_(new CRangeEdit(this)), maximumSpin_(new CSpinButton(this)),
      sizeButton_(PictureButton(StringText(CAP_SIZE_BUTTON), this)),
      areaMaskButton_(PictureButton(StringText(CAP_AREA_MASK_BUTTON), this)),
      falseRectButton_(PictureButton(StringText(CAP_FALSE_RECT_BUTTON), this)),
      detectionAreaButton_(PictureButton(StringText(CAP_DETECTION_AREA_BUTTON), this)),
      motionMaskButton_(PictureButton(StringText(CAP_MOTION_MASK_BUTTON), this)) {
    const QString captions[PREVIEW_PANEL_COUNT] = {
        StringText(CAP_FILTER_AREA_MASK), StringText(CAP_FILTER_FALSE_DETECTION),
        StringText(CAP_PREVIEW_DETECTION_AREAS), StringText(CAP_PREVIEW_MOTION_MASKS)};
    for (int i = 0; i < PREVIEW_PANEL_COUNT; ++i) {
        panelCaptions_[static_cast<std::size_t>(i)] = MakeLabel(captions[i], this);
    }
    connect(areaMaskButton_, &CImgButton::clicked, this, &CDetectSettingDlg::EditAreaMasks);
    connect(motionMaskButton_, &CImgButton::clicked, this, &CDetectSettingDlg::EditMotionMasks);
    connect(sizeButton_, &CImgButton::clicked, this, &CDetectSettingDlg::EditSizeMask);
    connect(falseRectButton_, &CImgButton::clicked, this, &CDetectSettingDlg::EditFalseRects);
    connect(detectionAreaButton_, &CImgButton::clicked, this, &CDetectSettingDlg::EditDetectionAreas);
    InitControls();
}

void CDetectSettingDlg::InitControls() {
    SetupRangeEdit(thresholdEdit_, thresholdSpin_, THRESHOLD_RANGE);
    SetupRangeEdit(minimumEdit_, minimumSpin_, SIZE_RANGE);
    SetupRangeEdit(maximumEdit_, maximumSpin_, SIZE_RANGE);
    CSettingBaseDlg::InitControls();
    RedrawPreviews();
}

void CDetectSettingDlg::LayoutControls() {
    const int editHeight = thresholdEdit_->sizeHint().height();
    thresholdEdit_->setGeometry(EDIT_X, 0, EDIT_WIDTH, editHeight);
    thresholdSpin_->AttachToBuddy();
    CentreVertically(thresholdLabel_, LABEL_X, thresholdEdit_);

    sizeCaption_->move(LABEL_X, Bottom(thresholdEdit_) + SECTION_GAP);
    minimumEdit_->setGeometry(EDIT_X, Bottom(sizeCaption_) + ROW_GAP, EDIT_WIDTH, editHeight);
    minimumSpin_->AttachToBuddy();
    CentreVertically(sizeLabel_, SIZE_LABEL_X, minimumEdit_);
    CentreVertically(rangeSign_, minimumSpin_->geometry().right() + 1 + ROW_GAP, minimumEdit_);
    maximumEdit_->setGeometry(rangeSign_->geometry().right() + 1 + ROW_GAP, minimumEdit_->y(), EDIT_WIDTH,
                              editHeight);
    maximumSpin_->AttachToBuddy();
    CentreVertically(sizeButton_, maximumSpin_->geometry().right() + 1 + SIZE_BUTTON_GAP, maximumSpin_);

    const int sizeRowBottom = std::max({Bottom(minimumEdit_), Bottom(sizeButton_), Bottom(sizeLabel_)});
    const int buttonsBottom = LayoutPanels(sizeRowBottom + SECTION_GAP);
    PlacePage({PAGE_WIDTH, buttonsBottom + APPLY_GAP + ApplyButton()->height() + APPLY_BOTTOM_MARGIN});
}

int CDetectSettingDlg::LayoutPanels(int top) {
    const std::array<CImgButton*, PREVIEW_PANEL_COUNT> buttons{areaMaskButton_, falseRectButton_,
                                                               detectionAreaButton_, motionMaskButton_};
    const int side = CDetectionPreviews::Side;
    const int left = (PAGE_WIDTH - 2 * side - PANEL_GAP) / 2;
    int rowTop = top;
    int bottom = top;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bool rightColumn = i % 2 == 1;
        const int x = left + (rightColumn ? side + PANEL_GAP : 0);
        QLabel* const caption = panelCaptions_[i];
        caption->move(x, rowTop);
        panels_[i] = QRect(x, Bottom(caption) + CAPTION_GAP, side, side);
        buttons[i]->move(x + side / 2 - buttons[i]->width() / 2, panels_[i].bottom() + 1 + CAPTION_GAP);
        bottom = std::max(bottom, Bottom(buttons[i]));
        if (rightColumn) {
            rowTop = bottom + SECTION_GAP;
        }
    }
    return bottom;
}

void CDetectSettingDlg::ShowValues() {
    thresholdEdit_->SetInt(edited_.threshold);
    minimumEdit_->SetInt(edited_.sizeMinimum);
    maximumEdit_->SetInt(edited_.sizeMaximum);
    RedrawPreviews();
}

void CDetectSettingDlg::ReadControls(DetectionValues& values) const {
    values.threshold = thresholdEdit_->GetInt();
    values.sizeMinimum = minimumEdit_->GetInt();
    values.sizeMaximum = maximumEdit_->GetInt();
}

int CDetectSettingDlg::CollectValues() {
    ReadControls(edited_);
    if (edited_.sizeMaximum >= edited_.sizeMinimum) {
        return 0;
    }
    COrgMessageBox::Show(this, StringText(MSG_SIZE_MASK_INVALID));
    return -1;
}

bool CDetectSettingDlg::IsUnchanged() const {
    DetectionValues shown = edited_;
    ReadControls(shown);
    return SameDetectionValues(shown, sensor_);
}

void CDetectSettingDlg::KeepEdits() {
    kept_ = edited_;
    ReadControls(*kept_); // a value typed but not yet applied counts too
}

void CDetectSettingDlg::RestoreKeptEdits() {
    if (kept_) {
        edited_ = std::move(*kept_);
        kept_.reset();
    }
}

ResultCode CDetectSettingDlg::LoadWorker() {
    DetectionLoad load;
    const ResultCode result = LoadDetectionValues(Session(), load);
    if (result == RC_OK) {
        sensor_ = load.values;
        edited_ = std::move(load.values);
        if (load.picture.HasPixels()) {
            picture_ = std::move(load.picture);
        }
        SetSettingsAbnormal(load.settingsAbnormal);
    }
    return result;
}

ResultCode CDetectSettingDlg::ApplyWorker(SettingsApplyProgress& progress) {
    if (const ResultCode result = ApplyDetectionValues(Session(), edited_, &progress); result != RC_OK) {
        return result;
    }
    return LoadWorker();
}

void CDetectSettingDlg::EditAreaMasks() {
    CAreaSettingDlg editor(&Session(), this, edited_.areaMasks);
    RunEditor(editor, [&] { edited_.areaMasks = editor.Areas(); });
}

void CDetectSettingDlg::EditMotionMasks() {
    CMotionMaskSettingDlg editor(&Session(), this, edited_.motionMasks);
    RunEditor(editor, [&] { edited_.motionMasks = editor.Masks(); });
}

void CDetectSettingDlg::EditSizeMask() {
    // The editor's limits go into the two edits, not the edited values: "反映" validates them.
    CSizeSettingDlg editor(&Session(), this, minimumEdit_->GetInt(), maximumEdit_->GetInt());
    RunEditor(editor, [&] {
        minimumEdit_->SetInt(editor.Minimum());
        maximumEdit_->SetInt(editor.Maximum());
    });
}

void CDetectSettingDlg::EditFalseRects() {
    // Unapplied registrations are dropped (after asking) before the editor opens, even on a Cancel.
    if (!CFalseRectDlg::ConfirmOpening(this, edited_.falseRects)) {
        RedrawPreviews();
        return;
    }
    CFalseRectDlg editor(&Session(), this, edited_.falseRects);
    RunEditor(editor, [&] { edited_.falseRects = editor.Registered(); });
}

void CDetectSettingDlg::EditDetectionAreas() {
    // The editor writes the stacking order at once, so the previews are redrawn after a Cancel too.
    CDetectAreaSettingDlg editor(&Session(), this, {edited_.humanArea, edited_.motionArea}, config_);
    RunEditor(editor, [&] {
        edited_.humanArea = editor.GetAreas()[HUMAN_DETECTION_AREA];
        edited_.motionArea = editor.GetAreas()[MOTION_DETECTION_AREA];
    });
}

void CDetectSettingDlg::RunEditor(CDetectSettingSubDlgBace& editor, const std::function<void()>& takeBack) {
    if (editor.exec() == QDialog::Accepted) {
        takeBack();
        TakePicture(editor.CurrentPicture());
    }
    RedrawPreviews();
}

void CDetectSettingDlg::TakePicture(const CImageData& picture) {
    // An editor whose load never ran keeps no picture; the page keeps its own then.
    if (picture.HasPixels()) {
        picture_ = picture;
    }
}

void CDetectSettingDlg::RedrawPreviews() {
    PreviewContent content;
    content.picture = picture_;
    content.values = edited_;
    content.portrait = Session().Portrait() != 0;
    const std::vector<int> order = NormaliseDetectAreaOrder(config_.ReadDetectAreaOverlap());
    std::copy(order.begin(), order.end(), content.areaOrder.begin());
    previews_.Draw(content, font());
    update();
}

void CDetectSettingDlg::paintEvent(QPaintEvent* event) {
    CSettingBaseDlg::paintEvent(event);
    QPainter painter(this);
    for (int i = 0; i < PREVIEW_PANEL_COUNT; ++i) {
        painter.drawImage(panels_[static_cast<std::size_t>(i)].topLeft(),
                          previews_.Surface(static_cast<PreviewPanel>(i)));
    }
}

} // namespace orlo
