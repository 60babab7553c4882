#include "gui/editors/AreaSettingDlg.h"

#include "core/strings/CaptionIds.h"
#include "gui/editors/AreaMaskJudgeSettingDlg.h"
#include "gui/editors/EditorTexts.h"
#include "gui/editors/RegionEditTexts.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QFontMetrics>
#include <algorithm>

namespace orlo {
namespace {

constexpr int STR_OVERLAP = 3503;
constexpr int JUDGE_TEXT_PADDING = 16;
constexpr int COLUMN_JUDGE_BUTTON = 3;
constexpr int COLUMN_DELETE = 4;
constexpr int IMAGE_JUDGE = 0;
constexpr int IMAGE_DELETE = 1;

} // namespace

CAreaSettingDlg::CAreaSettingDlg(DeviceSession* session, QWidget* owner, std::vector<CAreaMaskArea> areas,
                                 std::uint32_t fillColour)
    : CMaskSettingDlg(session, owner, fillColour), areas_(CompleteSlots(std::move(areas), AREA_MASK_SLOTS)),
      bulkButton_(new CImgButton(StringText(CAP_JUDGE_ALL), this)) {
    setWindowTitle(StringText(CAP_AREA_MASK_DIALOG));
    bulkButton_->setObjectName(QStringLiteral("bulkJudgementButton"));
    bulkButton_->Setup(PIC_COMMON_BUTTON);
    connect(bulkButton_, &CImgButton::clicked, this, &CAreaSettingDlg::BulkJudgement);
    InitControls();
}

QString CAreaSettingDlg::JudgementText(const Judgement& judgement) {
    switch (judgement.judge) {
    case AreaJudge::CenterPoint:
        return StringText(CAP_JUDGE_CENTRE);
    case AreaJudge::FootPoint:
        return StringText(CAP_JUDGE_FEET);
    case AreaJudge::Overlap:
        return FormatNumberText(STR_OVERLAP, judgement.percent);
    case AreaJudge::None:
        break;
    }
    return {};
}

void CAreaSettingDlg::SetupList() {
    COrgListCtrl& list = *List();
    list.AppendImages(LoadPicture(PIC_JUDGE_LIST), 32, LIST_IMAGE_KEY);
    list.AppendImages(LoadPicture(PIC_DELETE_LIST), 32, LIST_IMAGE_KEY);
    const int judgeWidth =
        QFontMetrics(font()).horizontalAdvance(FormatNumberText(STR_OVERLAP, MAX_OVERLAP_PERCENT)) +
        JUDGE_TEXT_PADDING;
    const QString number = StringText(CAP_HEADING_NUMBER);
    const int numberWidth = std::max(32, QFontMetrics(font()).horizontalAdvance(number) + JUDGE_TEXT_PADDING);
    const ListColumn columns[] = {{QString(), Qt::AlignLeft, 0},
                                  {number, Qt::AlignLeft, numberWidth},
                                  {StringText(CAP_HEADING_JUDGEMENT), Qt::AlignLeft, judgeWidth},
                                  {QString(), Qt::AlignLeft, 32},
                                  {QString(), Qt::AlignLeft, 16}};
    list.AddColumns(columns);
    FitList();
}

void CAreaSettingDlg::LayoutControls() {
    // The list is centred over the pair "一括設定", "一括削除".
    const COrgListCtrl& list = *List();
    CImgButton& deleteAll = *DeleteAllButton();
    LayoutPictureAndList(bulkButton_->width() + ControlGap + deleteAll.width());
    const int buttonsTop = list.geometry().bottom() + 1 + ControlGap;
    bulkButton_->move(ListLeft, buttonsTop);
    deleteAll.move(bulkButton_->geometry().right() + 1 + ControlGap, buttonsTop);
    const QRect numbers = PlaceNumbers(deleteAll.geometry().bottom() + 1 + ControlGap);
    LayoutButtonRow(std::max({list.geometry().right(), deleteAll.geometry().right(), numbers.right()}),
                    numbers.bottom());
}

void CAreaSettingDlg::DrawRegions() {
    RegionPainter().DrawRegions(WorkSurfaceDC(), SensorTransform(), areas_, ListSelection(), true, font());
}

void CAreaSettingDlg::RefreshList() {
    CMaskSettingDlg::RefreshList();
    bulkButton_->setEnabled(List()->rowCount() > 0);
}

void CAreaSettingDlg::FillList() {
    for (std::size_t position = 0; position < areas_.size(); ++position) {
        const CAreaMaskArea& area = areas_[position];
        if (!area.IsSet()) {
            continue;
        }
        const ListCell cells[] = {{ListCell::Value, {}, -1, static_cast<qint64>(position)},
                                  {ListCell::Text, QString::number(area.GetNumber()), -1, 0},
                                  {ListCell::Text, JudgementText(area.GetJudgement()), -1, 0},
                                  {ListCell::Image, {}, IMAGE_JUDGE, 0},
                                  {ListCell::Image, {}, IMAGE_DELETE, 0}};
        List()->InsertRow(cells);
    }
}

void CAreaSettingDlg::OnListCellClick(int column) {
    if (column == COLUMN_JUDGE_BUTTON) {
        EditJudgement(ListSelection());
    } else if (column == COLUMN_DELETE) {
        RequestDelete(ListSelection());
    }
}

void CAreaSettingDlg::PrepareNewRegion(int position) {
    areas_[static_cast<std::size_t>(position)].SetJudgement({AreaJudge::CenterPoint, DEFAULT_JUDGE_PERCENT});
}

Judgement CAreaSettingDlg::SlotJudgement(int position) const {
    return areas_[static_cast<std::size_t>(position)].GetJudgement();
}

void CAreaSettingDlg::SetSlotJudgement(int position, const Judgement& judgement) {
    areas_[static_cast<std::size_t>(position)].SetJudgement(judgement);
}

void CAreaSettingDlg::EditJudgement(int position) {
    if (position < 0 || position >= RegionCount()) {
        return;
    }
    CAreaMaskArea& area = areas_[static_cast<std::size_t>(position)];
    CAreaMaskJudgeSettingDlg dialog(area.GetJudgement(), this);
    if (dialog.exec() == QDialog::Accepted) {
        const SlotStates before = SaveSlots();
        area.SetJudgement(dialog.GetJudgement());
        RefreshList();
        CommitChange(before);
    }
}

void CAreaSettingDlg::BulkJudgement() {
    CAreaMaskJudgeSettingDlg dialog({AreaJudge::CenterPoint, DEFAULT_JUDGE_PERCENT}, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const SlotStates before = SaveSlots();
    for (CAreaMaskArea& area : areas_) {
        if (area.IsSet()) {
            area.SetJudgement(dialog.GetJudgement());
        }
    }
    RefreshList();
    CommitChange(before);
}

} // namespace orlo
