#include "gui/editors/AreaMaskJudgeSettingDlg.h"

#include "core/strings/CaptionIds.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/RangeEdit.h"
#include "gui/uikit/SpinButton.h"
#include "gui/uikit/StringText.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <algorithm>

namespace orlo {
namespace {

constexpr CRange PERCENT_RANGE{MIN_OVERLAP_PERCENT, MAX_OVERLAP_PERCENT};
constexpr int LEFT = 16;
constexpr int TOP = 8;
constexpr int RADIO_GAP = 8;
constexpr int FIELD_GAP = 4;
constexpr int FIELD_WIDTH = 48;
constexpr int BUTTON_GAP = 16;
constexpr int BUTTON_ROW_GAP = 16;
constexpr int RIGHT_MARGIN = 16;
constexpr int BOTTOM_MARGIN = 8;

int KindIndex(AreaJudge judge) {
    return static_cast<int>(judge);
}

} // namespace

CAreaMaskJudgeSettingDlg::CAreaMaskJudgeSettingDlg(const Judgement& judgement, QWidget* parent)
    : CBasisDialog(parent),
      judgement_(judgement), kindButtons_{new QRadioButton(StringText(CAP_JUDGE_CENTRE), this),
                                          new QRadioButton(StringText(CAP_JUDGE_FEET), this),
                                          new QRadioButton(StringText(CAP_JUDGE_OVERLAP), this)},
      kinds_(new QButtonGroup(this)), percentField_(new CRangeEdit(this)),
      percentSpin_(new CSpinButton(this)), percentLabel_(new QLabel(QStringLiteral("%"), this)),
      okButton_(new CImgButton(StringText(CAP_OK), this)),
      cancelButton_(new CImgButton(StringText(CAP_CANCEL), this)) {
    setWindowTitle(StringText(CAP_JUDGEMENT_DIALOG));
    setModal(true);
    okButton_->setObjectName(QStringLiteral("okButton"));
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    percentField_->setObjectName(QStringLiteral("percentField"));
    okButton_->Setup(PIC_COMMON_BUTTON);
    cancelButton_->Setup(PIC_COMMON_BUTTON);
    for (int i = 0; i < static_cast<int>(kindButtons_.size()); ++i) {
        kinds_->addButton(kindButtons_[static_cast<std::size_t>(i)], i);
    }
    percentField_->SetRange(PERCENT_RANGE);
    percentSpin_->SetRange(PERCENT_RANGE);

    // No kind is checked for None; the field then starts at the default percentage.
    if (QRadioButton* kind = KindButton(judgement_.judge)) {
        kind->setChecked(true);
    }
    percentField_->SetInt(judgement_.judge == AreaJudge::Overlap ? judgement_.percent
                                                                 : DEFAULT_JUDGE_PERCENT);

    connect(okButton_, &CImgButton::clicked, this, &CAreaMaskJudgeSettingDlg::Accept);
    connect(cancelButton_, &CImgButton::clicked, this, &QDialog::reject);
    LayoutControls();
}

QRadioButton* CAreaMaskJudgeSettingDlg::KindButton(AreaJudge judge) const {
    const int index = KindIndex(judge);
    if (index < 0 || index >= static_cast<int>(kindButtons_.size())) {
        return nullptr;
    }
    return kindButtons_[static_cast<std::size_t>(index)];
}

void CAreaMaskJudgeSettingDlg::LayoutControls() {
    int y = TOP;
    for (QRadioButton* kind : kindButtons_) {
        kind->adjustSize();
        kind->move(LEFT, y);
        y = kind->geometry().bottom() + 1 + RADIO_GAP;
    }
    const QRect overlap = kindButtons_.back()->geometry();
    percentField_->setGeometry(overlap.right() + 1 + FIELD_GAP, overlap.top(), FIELD_WIDTH,
                               std::max(overlap.height(), percentField_->sizeHint().height()));
    percentSpin_->SetBuddy(percentField_);
    percentLabel_->adjustSize();
    percentLabel_->move(percentSpin_->geometry().right() + 1 + FIELD_GAP,
                        percentField_->y() + (percentField_->height() - percentLabel_->height()) / 2);

    int contentRight = percentLabel_->geometry().right() + 1;
    for (const QRadioButton* kind : kindButtons_) {
        contentRight = std::max(contentRight, kind->geometry().right() + 1);
    }
    const int buttonsWidth = okButton_->width() + BUTTON_GAP + cancelButton_->width();
    contentRight = std::max(contentRight, LEFT + buttonsWidth);
    const int buttonsTop =
        std::max(overlap.bottom(), percentField_->geometry().bottom()) + 1 + BUTTON_ROW_GAP;
    const int buttonsLeft = (contentRight + LEFT - buttonsWidth) / 2;
    okButton_->move(buttonsLeft, buttonsTop);
    cancelButton_->move(okButton_->geometry().right() + 1 + BUTTON_GAP, buttonsTop);
    WindowSizeForClient({contentRight + RIGHT_MARGIN, okButton_->geometry().bottom() + 1 + BOTTOM_MARGIN});
}

void CAreaMaskJudgeSettingDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    CBasisDialog::keyPressEvent(event);
}

void CAreaMaskJudgeSettingDlg::Accept() {
    const int checked = kinds_->checkedId();
    if (checked >= 0) {
        judgement_.judge = static_cast<AreaJudge>(checked);
    }
    // An empty field reads as the minimum, as it would after losing the focus.
    judgement_.percent = percentField_->text().isEmpty() ? PERCENT_RANGE.minimum
                                                         : PERCENT_RANGE.Clamp(percentField_->GetInt());
    accept();
}

} // namespace orlo
