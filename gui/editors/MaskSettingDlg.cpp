#include "gui/editors/MaskSettingDlg.h"

#include "core/regions/MaskEditing.h"
#include "core/regions/RectTracking.h"
#include "core/regions/RegionPlacement.h"
#include "core/strings/CaptionIds.h"
#include "gui/editors/EditorLists.h"
#include "gui/editors/EditorTexts.h"
#include "gui/editors/RegionEditTexts.h"
#include "gui/editors/RegionNumbers.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace orlo {
namespace {

constexpr int MSG_DELETE_REGION = 1129;
constexpr int MSG_DELETE_ALL = 1130;
constexpr int LIST_ROWS = 20;
constexpr QPoint DISPLAY_BOX{8, 48};
constexpr int LIST_TOP = 48;
constexpr int BUTTON_ROW_GAP = 16;
constexpr int OK_FROM_CENTRE = 16;
constexpr int CANCEL_FROM_OK = 32;
constexpr int RIGHT_MARGIN = 8;
constexpr int BOTTOM_MARGIN = 16;
constexpr int HINT_GAP = 4;

} // namespace

CMaskSettingDlg::CMaskSettingDlg(DeviceSession* session, QWidget* owner, std::uint32_t fillColour)
    : CDetectSettingSubDlgBace(session, owner), list_(new COrgListCtrl(this)),
      deleteAllButton_(new CImgButton(StringText(CAP_DELETE_ALL), this)),
      deleteWatch_(*this, [this] { return DeleteKeyReleased(); }),
      aids_(new CRegionEditAids(*this, *this, HINT_MASK_EDITOR)) {
    list_->setObjectName(QStringLiteral("regionList"));
    deleteAllButton_->setObjectName(QStringLiteral("deleteAllButton"));
    SetFillColour(fillColour);
    painter_.SetNormalTextColour(Qt::black);
    painter_.SetSelectedTextColour(Qt::red);
    tracker_.SetHandleSize(COrgRectTracker::DefaultHandleSize);
    tracker_.SetMinimumSize({COrgRectTracker::DefaultHandleSize, COrgRectTracker::DefaultHandleSize});
    CListClickWatch::Install(*list_, [this](int row, int column) { OnListClick(row, column); });
    connect(deleteAllButton_, &CImgButton::clicked, this, &CMaskSettingDlg::DeleteAll);
}

void CMaskSettingDlg::SetFillColour(std::uint32_t colorRef) {
    painter_.CreateFill(colorRef);
    update();
}

void CMaskSettingDlg::InitControls() {
    list_->SetExtendedStyles();
    list_->SetHeaderVisible(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SetupList();
    deleteAllButton_->Setup(PIC_COMMON_BUTTON);
    CDetectSettingSubDlgBace::InitControls();
    RefreshList();
    aids_->Refresh();
}

void CMaskSettingDlg::FitList() {
    FitListToColumns(*list_, LIST_ROWS);
    list_->resize(list_->width(), list_->height() + list_->horizontalHeader()->sizeHint().height());
}

void CMaskSettingDlg::LayoutPictureAndList(int columnWidth) {
    SetDisplayBox(DISPLAY_BOX);
    PlaceUpdateButton();
    aids_->PlaceButtons(UpdateImageButton()->geometry());
    list_->move(ListLeft + (std::max(list_->width(), columnWidth) - list_->width()) / 2, LIST_TOP);
}

void CMaskSettingDlg::LayoutButtonRow(int contentRight, int contentBottom) {
    const int width = contentRight + 1 + RIGHT_MARGIN;
    const int hintBottom =
        aids_->PlaceHint(DisplayBox().left(), DisplayBox().bottom() + 1 + HINT_GAP, width - 2 * RIGHT_MARGIN);
    const int okTop = std::max(hintBottom, contentBottom) + 1 + BUTTON_ROW_GAP;
    const int okRight = width / 2 - OK_FROM_CENTRE;
    PlaceOkCancel(okTop, okRight, okRight + CANCEL_FROM_OK);
    WindowSizeForClient({width, OkButton()->geometry().bottom() + 1 + BOTTOM_MARGIN});
}

QRect CMaskSettingDlg::PlaceNumbers(int top) {
    CRegionNumbers& numbers = *aids_->Numbers();
    const QSize needed = numbers.sizeHint();
    numbers.setGeometry(list_->x(), top, std::max(list_->width(), needed.width()), needed.height());
    return numbers.geometry();
}

double CMaskSettingDlg::ScaleFor(const CImageData&) const {
    return MASK_EDITOR_SCALE;
}

void CMaskSettingDlg::OnLoaded() {
    tracker_.SetBounds(ImageRect());
    tracker_.SetDrawingOrigin({DisplayBox().left(), DisplayBox().top()});
}

int CMaskSettingDlg::HitTest(Point surfacePoint, Rect& hitRect) const {
    std::vector<Rect> rects;
    rects.reserve(static_cast<std::size_t>(RegionCount()));
    for (int position = 0; position < RegionCount(); ++position) {
        rects.push_back(SensorToSurface(GetRegionRect(position)));
    }
    const int slot = HitTestRegions(rects, selectedSlot_, surfacePoint);
    if (slot >= 0) {
        hitRect = rects[static_cast<std::size_t>(slot)];
    }
    return slot;
}

void CMaskSettingDlg::AddRegion(const Rect& sensorRect) {
    for (int position = 0; position < RegionCount(); ++position) {
        if (!Region(position).IsSet()) {
            Region(position).SetRect(sensorRect);
            PrepareNewRegion(position);
            RefreshList();
            return;
        }
    }
}

bool CMaskSettingDlg::HasFreeSlot() const {
    for (int position = 0; position < RegionCount(); ++position) {
        if (!Region(position).IsSet()) {
            return true;
        }
    }
    return false;
}

void CMaskSettingDlg::DrawSurface() {
    DrawPictureOnWorkSurface();
    DrawRegions();
    if (trackerShown_) {
        tracker_.Draw(WorkSurfaceDC());
    } else if (creating_) {
        DrawRubberBand();
    }
}

void CMaskSettingDlg::DrawRubberBand() {
    QImage& surface = WorkSurfaceDC().SurfaceBitmap();
    if (surface.isNull() || IsUnset(rubberBand_)) {
        return;
    }
    // A bump edge: a raised outer line and a sunken inner one.
    const QPalette& colours = palette();
    QPainter painter(&surface);
    const auto frame = [&painter](QRect rect, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
    };
    const QRect outer(QPoint(rubberBand_.left, rubberBand_.top),
                      QPoint(rubberBand_.right - 1, rubberBand_.bottom - 1));
    frame(outer, colours.color(QPalette::Light), colours.color(QPalette::Shadow));
    frame(outer.adjusted(1, 1, -1, -1), colours.color(QPalette::Dark), colours.color(QPalette::Light));
}

void CMaskSettingDlg::RefreshList() {
    list_->setRowCount(0);
    listSelection_ = -1;
    FillList();
    deleteAllButton_->setEnabled(list_->rowCount() > 0);
}

void CMaskSettingDlg::DeleteRegion(int position) {
    Region(position).Clear();
    selectedSlot_ = -1;
    trackerShown_ = false;
    RefreshList();
    update();
}

int CMaskSettingDlg::GetRegionNumber(int position) const {
    return Region(position).GetNumber();
}

void CMaskSettingDlg::SetRegionRect(int position, const Rect& sensorRect) {
    Region(position).SetRect(sensorRect);
}

Rect CMaskSettingDlg::GetRegionRect(int position) const {
    return Region(position).GetRect();
}

void CMaskSettingDlg::RequestDelete(int position) {
    PostMessageTo(this, WM_APP_DELETEREQUEST, 0, position);
}

bool CMaskSettingDlg::DeleteKeyReleased() {
    if (selectedSlot_ == -1) {
        return false;
    }
    RequestDelete(selectedSlot_);
    return true;
}

void CMaskSettingDlg::AskDelete(int position) {
    // A request queued twice for one region finds the slot already empty.
    if (position < 0 || position >= RegionCount() || !Region(position).IsSet()) {
        return;
    }
    if (COrgMessageBox::Show(this, FormatNumberText(MSG_DELETE_REGION, GetRegionNumber(position)),
                             MessageButtons::YesNo, MessageIcon::Question) == MessageAnswer::Yes) {
        const SlotStates before = SaveSlots();
        DeleteRegion(position);
        CommitChange(before);
    }
}

void CMaskSettingDlg::DeleteAll() {
    if (COrgMessageBox::Show(this, StringText(MSG_DELETE_ALL), MessageButtons::YesNo,
                             MessageIcon::Question) != MessageAnswer::Yes) {
        return;
    }
    const SlotStates before = SaveSlots();
    for (int position = 0; position < RegionCount(); ++position) {
        DeleteRegion(position);
    }
    CommitChange(before);
}

void CMaskSettingDlg::OnListClick(int row, int column) {
    if (row < 0) {
        listSelection_ = -1;
    } else {
        listSelection_ = static_cast<int>(list_->RowValue(row));
        OnListCellClick(column);
    }
    update();
}

bool CMaskSettingDlg::event(QEvent* event) {
    if (event->type() == MessageType(WM_APP_DELETEREQUEST)) {
        AskDelete(static_cast<int>(static_cast<CMessageEvent*>(event)->LParam()));
        return true;
    }
    return CDetectSettingSubDlgBace::event(event);
}

void CMaskSettingDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CDetectSettingSubDlgBace::mousePressEvent(event);
        return;
    }
    const Point client = ToPoint(event->position());
    const Point surface{client.x - DisplayBox().left(), client.y - DisplayBox().top()};
    Rect hitRect;
    selectedSlot_ = HitTest(surface, hitRect);
    if (selectedSlot_ >= 0) {
        trackerShown_ = true;
        tracker_.SetRect(SurfaceToClient(hitRect));
        tracker_.BeginTrack(client);
        aids_->Refresh();
        update();
        return;
    }
    if (ContainsPoint(ImageRect(), client) && HasFreeSlot()) {
        creating_ = true;
        trackerShown_ = false;
        dragStart_ = surface;
        dragPoint_ = surface;
        rubberBand_ = NormalisedRect(dragStart_, dragPoint_);
    }
}

void CMaskSettingDlg::mouseMoveEvent(QMouseEvent* event) {
    const Point client = ToPoint(event->position());
    if (tracker_.IsTracking()) {
        tracker_.TrackTo(client);
        aids_->ShowLive(SurfaceToSensor(ClientToSurface(tracker_.GetTrueRect())));
        update();
        return;
    }
    if (IsUnset(rubberBand_)) {
        return;
    }
    const Point clamped = ClampPoint(client, ImageRect());
    dragPoint_ = {clamped.x - DisplayBox().left(), clamped.y - DisplayBox().top()};
    rubberBand_ = NormalisedRect(dragStart_, dragPoint_);
    update();
}

void CMaskSettingDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CDetectSettingSubDlgBace::mouseReleaseEvent(event);
        return;
    }
    if (tracker_.IsTracking()) {
        // The tracker's release belongs to the tracking: the region stays selected.
        if (tracker_.EndTrack() && selectedSlot_ >= 0) {
            const SlotStates before = SaveSlots();
            SetRegionRect(selectedSlot_, SurfaceToSensor(ClientToSurface(tracker_.GetTrueRect())));
            CommitChange(before);
        }
        aids_->Refresh();
        update();
        return;
    }
    if (creating_) {
        creating_ = false;
        const Rect sensorRect = SurfaceToSensor(rubberBand_);
        if (IsLargeEnoughMask(sensorRect)) {
            const SlotStates before = SaveSlots();
            AddRegion(sensorRect);
            CommitChange(before);
        }
        rubberBand_ = UNSET_RECT;
    } else {
        selectedSlot_ = -1;
        trackerShown_ = false;
        aids_->Refresh();
    }
    update();
}

void CMaskSettingDlg::keyPressEvent(QKeyEvent* event) {
    if (tracker_.CancelOnEscape(*event)) {
        aids_->Refresh();
        update();
        return;
    }
    CDetectSettingSubDlgBace::keyPressEvent(event);
}

CMaskSettingDlg::SlotStates CMaskSettingDlg::SaveSlots() const {
    SlotStates states;
    states.reserve(static_cast<std::size_t>(RegionCount()));
    for (int position = 0; position < RegionCount(); ++position) {
        states.push_back({GetRegionRect(position), SlotJudgement(position)});
    }
    return states;
}

void CMaskSettingDlg::RestoreSlots(const SlotStates& states) {
    for (int position = 0; position < RegionCount(); ++position) {
        const MaskSlotState& slot = states[static_cast<std::size_t>(position)];
        if (IsUnset(slot.rect)) {
            Region(position).Clear();
        } else {
            SetRegionRect(position, slot.rect);
        }
        SetSlotJudgement(position, slot.judgement);
    }
}

void CMaskSettingDlg::CommitChange(const SlotStates& before) {
    history_.Record(before, SaveSlots());
    aids_->Refresh();
}

void CMaskSettingDlg::FollowSelection() {
    if (selectedSlot_ >= 0 && Region(selectedSlot_).IsSet()) {
        trackerShown_ = true;
        tracker_.SetRect(SurfaceToClient(SensorToSurface(GetRegionRect(selectedSlot_))));
    } else {
        selectedSlot_ = -1;
        trackerShown_ = false;
    }
}

Rect CMaskSettingDlg::SelectedRegion() const {
    if (!HasPicture() || !trackerShown_ || selectedSlot_ < 0) {
        return UNSET_RECT;
    }
    return GetRegionRect(selectedSlot_);
}

void CMaskSettingDlg::PlaceSelectedRegion(const Rect& sensorRect) {
    if (IsUnset(SelectedRegion())) {
        return;
    }
    const SlotStates before = SaveSlots();
    SetRegionRect(selectedSlot_, sensorRect);
    FollowSelection();
    CommitChange(before);
    update();
}

void CMaskSettingDlg::SelectNextRegion() {
    if (!HasPicture()) {
        return;
    }
    const auto count = static_cast<std::size_t>(RegionCount());
    const auto inUse = std::make_unique<bool[]>(count);
    for (std::size_t position = 0; position < count; ++position) {
        inUse[position] = Region(static_cast<int>(position)).IsSet();
    }
    selectedSlot_ = NextRegionInUse(std::span<const bool>(inUse.get(), count), selectedSlot_);
    FollowSelection();
    update();
}

void CMaskSettingDlg::UndoChange() {
    ShowHistoryStep(history_.Undo(SaveSlots()));
}

void CMaskSettingDlg::RedoChange() {
    ShowHistoryStep(history_.Redo(SaveSlots()));
}

void CMaskSettingDlg::ShowHistoryStep(const std::optional<SlotStates>& states) {
    if (!states) {
        return;
    }
    RestoreSlots(*states);
    FollowSelection();
    RefreshList();
    aids_->Refresh();
    update();
}

CRegionEditTarget::Rules CMaskSettingDlg::PlacementRules() const {
    return {SensorEdgeBounds(Portrait()),
            MinimumSensorSide(COrgRectTracker::DefaultHandleSize, Scale(), MIN_DRAWN_MASK_SIDE), Scale()};
}

} // namespace orlo
