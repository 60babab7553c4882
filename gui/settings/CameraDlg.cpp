#include "gui/settings/CameraDlg.h"

#include "core/strings/CaptionIds.h"
#include "gui/settings/PageLayout.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgComboBox.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QLabel>
#include <algorithm>

namespace orlo {
namespace {

constexpr int MSG_DIRECTION_CHANGED = 1140;

constexpr int PAGE_WIDTH = 688;
constexpr QPoint CAPTION_POSITION{24, 16};
// The cross of direction buttons: its middle column starts this far right of the caption.
constexpr int COLUMN_OFFSET = 260;
constexpr int BUTTON_GAP = 4;
constexpr int LABEL_GAP = 8;
constexpr int SECTION_GAP = 16;
constexpr int MIN_MODE_LIST_WIDTH = 240;
// The apply button sits this far below the mode section and as far above the page's bottom edge.
constexpr int APPLY_BUTTON_MARGIN = 40;

} // namespace

CCameraDlg::CCameraDlg(DeviceSession& session, QWidget* mainWindow, std::filesystem::path modeListFile)
    : CSettingBaseDlg(session, mainWindow, NOMINAL_DURATION_MS), modeListFile_(std::move(modeListFile)),
      directionCaption_(MakeLabel(StringText(CAP_MOUNTING_DIRECTION), this)),
      modeCaption_(MakeLabel(StringText(CAP_OPERATING_MODE), this)), modeList_(new COrgComboBox(this)) {
    for (int i = 0; i < DIRECTION_COUNT; ++i) {
        auto* button = new CImgButton(this);
        connect(button, &CImgButton::clicked, this, [this, i] { SelectDirection(i); });
        directionButtons_[static_cast<std::size_t>(i)] = button;
        directionLabels_[static_cast<std::size_t>(i)] = MakeLabel(StringText(CAP_DIRECTION_0 + i), this);
    }
    InitControls();
}

void CCameraDlg::InitControls() {
    for (int i = 0; i < DIRECTION_COUNT; ++i) {
        DirectionButton(i)->Setup(PIC_DIRECTION_0 + i, {2, true});
    }
    SelectDirection(0);
    FillModeList();
    CSettingBaseDlg::InitControls();
}

void CCameraDlg::FillModeList() {
    // A missing or unreadable file leaves the list empty, without a message.
    for (const ModeRecord& mode : ReadModeList(modeListFile_)) {
        modeList_->AddItem(QString::fromStdString(mode.name), mode.id);
    }
    if (modeList_->count() > 0) {
        modeList_->setCurrentIndex(0);
    }
}

void CCameraDlg::LayoutControls() {
    directionCaption_->move(CAPTION_POSITION);
    const int column = CAPTION_POSITION.x() + COLUMN_OFFSET;
    CImgButton* const up = DirectionButton(0);
    CImgButton* const right = DirectionButton(1);
    CImgButton* const down = DirectionButton(2);
    CImgButton* const left = DirectionButton(3);

    QLabel* const upLabel = directionLabels_[0];
    upLabel->move(column + up->width() / 2 - upLabel->width() / 2, Bottom(directionCaption_) + LABEL_GAP);
    up->move(column, Bottom(upLabel) + BUTTON_GAP);
    right->move(column + up->width() + BUTTON_GAP, Bottom(up) + BUTTON_GAP);
    down->move(column, Bottom(right) + BUTTON_GAP);
    left->move(column - left->width(), right->y());
    CentreVertically(directionLabels_[1], right->geometry().right() + 1 + LABEL_GAP, right);
    CentreHorizontally(directionLabels_[2], down, Bottom(down) + BUTTON_GAP);
    CentreVertically(directionLabels_[3], left->x() - LABEL_GAP - directionLabels_[3]->width(), left);

    modeList_->resize(std::max(MIN_MODE_LIST_WIDTH, modeList_->sizeHint().width()),
                      modeList_->sizeHint().height());
    const int modeTop = Bottom(directionLabels_[2]) + SECTION_GAP;
    modeList_->move(CAPTION_POSITION.x() + modeCaption_->width() + LABEL_GAP, modeTop);
    CentreVertically(modeCaption_, CAPTION_POSITION.x(), modeList_);
    const int modeSectionBottom = Bottom(modeList_) + SECTION_GAP;
    // The combo box here is as high as it shows, not as its drop-down list, so the apply button gets
    // room of its own below the section.
    PlacePage({PAGE_WIDTH, modeSectionBottom + ApplyButton()->height() + APPLY_BUTTON_MARGIN});
}

void CCameraDlg::SelectDirection(int direction) {
    for (int i = 0; i < DIRECTION_COUNT; ++i) {
        DirectionButton(i)->SetCheckState(i == direction ? 1 : 0);
    }
}

int CCameraDlg::SelectedDirection() const {
    for (int i = 0; i < DIRECTION_COUNT; ++i) {
        if (DirectionButton(i)->GetCheckState() == 1) {
            return i;
        }
    }
    return 0;
}

void CCameraDlg::ShowValues() {
    SelectDirection(edited_.direction);
    // A mode that no entry carries leaves the selection as it is.
    modeList_->SelectByValue(edited_.mode);
}

int CCameraDlg::CollectValues() {
    edited_.direction = static_cast<std::uint8_t>(SelectedDirection());
    change_.direction = edited_.direction;
    change_.sendDirection = edited_.direction != sensor_.direction || SettingsAbnormal();
    if (change_.sendDirection) {
        COrgMessageBox::Show(this, StringText(MSG_DIRECTION_CHANGED), MessageButtons::Ok,
                             MessageIcon::Information);
    }
    // Without a list entry there is no mode to offer: the sensor keeps its own.
    change_.mode.reset();
    if (modeList_->currentIndex() >= 0) {
        edited_.mode = static_cast<std::uint8_t>(modeList_->GetSelectedValue());
        change_.mode = edited_.mode;
    }
    return 0;
}

bool CCameraDlg::IsUnchanged() const {
    const bool modeUnchanged = modeList_->currentIndex() < 0 || modeList_->GetSelectedValue() == sensor_.mode;
    return SelectedDirection() == sensor_.direction && modeUnchanged;
}

void CCameraDlg::RestoreKeptEdits() {
    if (kept_) {
        // The direction and mode as edited; what the sensor reports about itself stays as just read.
        edited_.direction = kept_->direction;
        edited_.mode = kept_->mode;
        kept_.reset();
    }
}

ResultCode CCameraDlg::LoadWorker() {
    CameraValues read;
    const ResultCode result = LoadCameraValues(Session(), read);
    if (result == RC_OK) {
        edited_ = read;
        sensor_ = read;
        SetSettingsAbnormal(read.settingsAbnormal);
    }
    return result;
}

ResultCode CCameraDlg::ApplyWorker(SettingsApplyProgress& progress) {
    if (const ResultCode result = ApplyCameraChange(Session(), change_, &progress); result != RC_OK) {
        return result;
    }
    return LoadWorker();
}

} // namespace orlo
