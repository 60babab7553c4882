#include "gui/editors/MotionMaskSettingDlg.h"

#include "core/strings/CaptionIds.h"
#include "gui/editors/RegionEditTexts.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QFontMetrics>
#include <algorithm>

namespace orlo {
namespace {

constexpr int COLUMN_DELETE = 2;
constexpr int IMAGE_DELETE = 0;
constexpr int HEADING_PADDING = 16;

} // namespace

CMotionMaskSettingDlg::CMotionMaskSettingDlg(DeviceSession* session, QWidget* owner,
                                             std::vector<CTevoArea> masks, std::uint32_t fillColour)
    : CMaskSettingDlg(session, owner, fillColour),
      masks_(CompleteSlots(std::move(masks), MOTION_MASK_SLOTS)) {
    setWindowTitle(StringText(CAP_MOTION_MASK_DIALOG));
    InitControls();
}

void CMotionMaskSettingDlg::SetupList() {
    COrgListCtrl& list = *List();
    list.AppendImages(LoadPicture(PIC_DELETE_LIST), 32, LIST_IMAGE_KEY);
    const QString number = StringText(CAP_HEADING_NUMBER);
    const int numberWidth = std::max(32, QFontMetrics(font()).horizontalAdvance(number) + HEADING_PADDING);
    const ListColumn columns[] = {
        {QString(), Qt::AlignLeft, 0}, {number, Qt::AlignLeft, numberWidth}, {QString(), Qt::AlignLeft, 32}};
    list.AddColumns(columns);
    FitList();
}

void CMotionMaskSettingDlg::LayoutControls() {
    // "一括削除" is centred under the list.
    const COrgListCtrl& list = *List();
    CImgButton& deleteAll = *DeleteAllButton();
    LayoutPictureAndList(deleteAll.width());
    deleteAll.move(list.x() + (list.width() - deleteAll.width()) / 2,
                   list.geometry().bottom() + 1 + ControlGap);
    const QRect numbers = PlaceNumbers(deleteAll.geometry().bottom() + 1 + ControlGap);
    LayoutButtonRow(std::max({list.geometry().right(), deleteAll.geometry().right(), numbers.right()}),
                    numbers.bottom());
}

void CMotionMaskSettingDlg::DrawRegions() {
    RegionPainter().DrawRegions(WorkSurfaceDC(), SensorTransform(), masks_, ListSelection(), true, font());
}

void CMotionMaskSettingDlg::FillList() {
    for (std::size_t position = 0; position < masks_.size(); ++position) {
        const CTevoArea& mask = masks_[position];
        if (!mask.IsSet()) {
            continue;
        }
        const ListCell cells[] = {{ListCell::Value, {}, -1, static_cast<qint64>(position)},
                                  {ListCell::Text, QString::number(mask.GetNumber()), -1, 0},
                                  {ListCell::Image, {}, IMAGE_DELETE, 0}};
        List()->InsertRow(cells);
    }
}

void CMotionMaskSettingDlg::OnListCellClick(int column) {
    if (column == COLUMN_DELETE) {
        RequestDelete(ListSelection());
    }
}

} // namespace orlo
