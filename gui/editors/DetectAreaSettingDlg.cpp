#include "gui/editors/DetectAreaSettingDlg.h"

#include "core/regions/DetectionAreas.h"
#include "core/regions/RectTracking.h"
#include "core/regions/RegionPlacement.h"
#include "core/strings/CaptionIds.h"
#include "gui/editors/DetectAreaList.h"
#include "gui/editors/EditorTexts.h"
#include "gui/editors/RegionEditTexts.h"
#include "gui/editors/RegionNumbers.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace orlo {
namespace {

constexpr int STR_FIRST_AREA_LABEL = 3700;
constexpr int FILL_SIDE = 100;
constexpr int PEN_WIDTH = 4;
// Opacity of the areas: the one picked (or all, when none is) and the others.
constexpr int FOCUSED_ALPHA = 75;
constexpr int OTHER_ALPHA = 50;

constexpr QPoint DISPLAY_BOX{8, 48};
constexpr QPoint LIST_POSITION{616, 56};
constexpr int LIST_MAX_WIDTH = 240;
constexpr int LIST_EXTRA_HEIGHT = 24;
constexpr int BORDER = 1;
constexpr int GAP = 8;
constexpr int ARROW_INSET = 4;
constexpr int BUTTON_ROW_GAP = 16;
constexpr int OK_FROM_CENTRE = 8;
constexpr int CANCEL_FROM_OK = 16;
constexpr int RIGHT_MARGIN = 8;
constexpr int BOTTOM_MARGIN = 16;
constexpr int HINT_GAP = 4;
constexpr int HEADING_GAP = 2;

} // namespace

CDetectAreaSettingDlg::CDetectAreaSettingDlg(DeviceSession* session, QWidget* owner, const Areas& areas,
                                             AppConfig config)
    : CDetectSettingSubDlgBace(session, owner), config_(std::move(config)), areas_(areas),
      areaList_(new CDetectAreaList(this)),
      listHeading_(new QLabel(StringText(CAP_HEADING_AREA_ORDER), this)), upButton_(new CImgButton(this)),
      downButton_(new CImgButton(this)),
      aids_(new CRegionEditAids(*this, *this, HINT_DETECTION_AREA_EDITOR)) {
    setWindowTitle(StringText(CAP_DETECTION_AREA_DIALOG));
    areaList_->setObjectName(QStringLiteral("areaList"));
    listHeading_->setObjectName(QStringLiteral("areaListHeading"));
    upButton_->setObjectName(QStringLiteral("upButton"));
    downButton_->setObjectName(QStringLiteral("downButton"));
    for (std::size_t id = 0; id < areaFills_.size(); ++id) {
        areaFills_[id].CreateFilled(QSize(FILL_SIDE, FILL_SIDE),
                                    ColourFromColorRef(DETECTION_AREA_COLOURS[id]), 255);
    }
    tracker_.SetHandleSize(COrgRectTracker::DefaultHandleSize);
    tracker_.SetMinimumSize({COrgRectTracker::DefaultHandleSize, COrgRectTracker::DefaultHandleSize});

    upButton_->Setup(PIC_ARROW_UP, {1, true});
    downButton_->Setup(PIC_ARROW_DOWN, {1, true});
    connect(upButton_, &CImgButton::clicked, this, [this] { MoveSelected(CDetectAreaList::Up); });
    connect(downButton_, &CImgButton::clicked, this, [this] { MoveSelected(CDetectAreaList::Down); });
    for (const int id : NormaliseDetectAreaOrder(config_.ReadDetectAreaOverlap())) {
        areaList_->AddItem(StringText(STR_FIRST_AREA_LABEL + id),
                           ColourFromColorRef(DETECTION_AREA_COLOURS[static_cast<std::size_t>(id)]), id);
    }
    InitControls();
    aids_->Refresh();
}

void CDetectAreaSettingDlg::accept() {
    const bool portrait = Portrait();
    for (Rect& area : areas_) {
        area = ClampDetectionArea(area, portrait);
    }
    CDetectSettingSubDlgBace::accept();
}

void CDetectAreaSettingDlg::LayoutControls() {
    SetDisplayBox(DISPLAY_BOX);
    PlaceUpdateButton();
    aids_->PlaceButtons(UpdateImageButton()->geometry());
    const QSize item = areaList_->ItemSize();
    areaList_->setGeometry(QRect(LIST_POSITION, QSize(std::min(item.width(), LIST_MAX_WIDTH) + BORDER,
                                                      2 * item.height() + LIST_EXTRA_HEIGHT + BORDER)));
    const QRect list = areaList_->geometry();
    listHeading_->adjustSize();
    listHeading_->move(list.left(), list.top() - HEADING_GAP - listHeading_->height());
    upButton_->move(list.right() + 1 + GAP, list.top() + ARROW_INSET);
    downButton_->move(upButton_->x(), list.bottom() + 1 - ARROW_INSET - downButton_->height());

    CRegionNumbers& numbers = *aids_->Numbers();
    numbers.setGeometry(list.left(), std::max(list.bottom(), downButton_->geometry().bottom()) + 1 + GAP,
                        std::max(upButton_->geometry().right() + 1 - list.left(), numbers.sizeHint().width()),
                        numbers.sizeHint().height());

    const int width = std::max(upButton_->geometry().right(), numbers.geometry().right()) + 1 + RIGHT_MARGIN;
    const int hintBottom =
        aids_->PlaceHint(DisplayBox().left(), DisplayBox().bottom() + 1 + HINT_GAP, width - 2 * RIGHT_MARGIN);
    const int okRight = width / 2 - OK_FROM_CENTRE;
    PlaceOkCancel(hintBottom + 1 + BUTTON_ROW_GAP, okRight, okRight + CANCEL_FROM_OK);
    WindowSizeForClient({width, OkButton()->geometry().bottom() + 1 + BOTTOM_MARGIN});
}

double CDetectAreaSettingDlg::ScaleFor(const CImageData&) const {
    return AREA_EDITOR_SCALE;
}

void CDetectAreaSettingDlg::OnLoaded() {
    tracker_.SetBounds(ImageRect());
    tracker_.SetDrawingOrigin({DisplayBox().left(), DisplayBox().top()});
}

Rect CDetectAreaSettingDlg::AreaOnSurface(int id) const {
    return SensorToSurface(DetectionAreaOrFrame(areas_[static_cast<std::size_t>(id)], Portrait()));
}

void CDetectAreaSettingDlg::DrawSurface() {
    DrawPictureOnWorkSurface();
    QImage& surface = WorkSurfaceDC().SurfaceBitmap();
    if (surface.isNull()) {
        return;
    }
    {
        QPainter painter(&surface);
        const bool anySelected = areaList_->AnySelected();
        // From the last item to the first, so that the first ends on top.
        for (int index = areaList_->Count() - 1; index >= 0; --index) {
            const int id = areaList_->ItemId(index);
            const Rect area = AreaOnSurface(id);
            const QRect destination(area.left, area.top, area.Width(), area.Height());
            const int alpha = anySelected && !areaList_->IsSelected(index) ? OTHER_ALPHA : FOCUSED_ALPHA;
            const CAlphaDC& fill = areaFills_[static_cast<std::size_t>(id)];
            fill.AlphaBlendTo(painter, destination, QRect(QPoint(0, 0), fill.SurfaceSize()), alpha, false);
            if (alpha == FOCUSED_ALPHA) {
                painter.setPen(QPen(ColourFromColorRef(DETECTION_AREA_COLOURS[static_cast<std::size_t>(id)]),
                                    PEN_WIDTH, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
                painter.setBrush(Qt::NoBrush);
                // Inset by half the pen so the whole line lies inside the area.
                painter.drawRect(
                    destination.adjusted(PEN_WIDTH / 2, PEN_WIDTH / 2, -PEN_WIDTH / 2, -PEN_WIDTH / 2));
            }
        }
    }
    if (trackerShown_) {
        tracker_.Draw(WorkSurfaceDC());
    }
}

void CDetectAreaSettingDlg::SelectFromList(int index) {
    if (index >= 0 && index < areaList_->Count()) {
        selectedArea_ = areaList_->ItemId(index);
        tracker_.SetRect(SurfaceToClient(AreaOnSurface(selectedArea_)));
        trackerShown_ = true;
    } else {
        selectedArea_ = -1;
        trackerShown_ = false;
    }
    aids_->Refresh();
    update();
}

void CDetectAreaSettingDlg::MoveSelected(int direction) {
    const DetectAreaEditState before = SaveState();
    areaList_->MoveItem(areaList_->FirstSelected(), direction);
    update();
    // Written on every press, whether anything moved or not, and kept whatever ends the dialog.
    WriteOrder();
    CommitChange(before);
}

void CDetectAreaSettingDlg::WriteOrder() {
    config_.WriteDetectAreaOverlap(SaveState().order);
}

DetectAreaEditState CDetectAreaSettingDlg::SaveState() const {
    DetectAreaEditState state{areas_, {}};
    for (int index = 0; index < areaList_->Count(); ++index) {
        state.order.push_back(areaList_->ItemId(index));
    }
    return state;
}

void CDetectAreaSettingDlg::CommitChange(const DetectAreaEditState& before) {
    history_.Record(before, SaveState());
    aids_->Refresh();
}

void CDetectAreaSettingDlg::ShowHistoryStep(const std::optional<DetectAreaEditState>& state) {
    if (!state) {
        return;
    }
    areas_ = state->areas;
    if (SaveState().order != state->order) {
        // Two rows: the other order is the exchange of both, which keeps the picked area picked.
        const int picked = selectedArea_;
        areaList_->MoveItem(0, CDetectAreaList::Down);
        areaList_->ClearSelection();
        for (int index = 0; index < areaList_->Count(); ++index) {
            if (areaList_->ItemId(index) == picked) {
                areaList_->SelectItem(index);
            }
        }
        WriteOrder();
    }
    if (selectedArea_ != -1) {
        tracker_.SetRect(SurfaceToClient(AreaOnSurface(selectedArea_)));
    }
    aids_->Refresh();
    update();
}

Rect CDetectAreaSettingDlg::SelectedRegion() const {
    if (!HasPicture() || selectedArea_ == -1) {
        return UNSET_RECT;
    }
    return DetectionAreaOrFrame(areas_[static_cast<std::size_t>(selectedArea_)], Portrait());
}

void CDetectAreaSettingDlg::PlaceSelectedRegion(const Rect& sensorRect) {
    if (IsUnset(SelectedRegion())) {
        return;
    }
    const DetectAreaEditState before = SaveState();
    areas_[static_cast<std::size_t>(selectedArea_)] = sensorRect;
    tracker_.SetRect(SurfaceToClient(AreaOnSurface(selectedArea_)));
    trackerShown_ = true;
    CommitChange(before);
    update();
}

void CDetectAreaSettingDlg::SelectNextRegion() {
    if (!HasPicture() || areaList_->Count() == 0) {
        return;
    }
    const int next = (areaList_->FirstSelected() + 1) % areaList_->Count();
    areaList_->SelectItem(next);
    SelectFromList(next);
}

void CDetectAreaSettingDlg::UndoChange() {
    ShowHistoryStep(history_.Undo(SaveState()));
}

void CDetectAreaSettingDlg::RedoChange() {
    ShowHistoryStep(history_.Redo(SaveState()));
}

CRegionEditTarget::Rules CDetectAreaSettingDlg::PlacementRules() const {
    return {SensorEdgeBounds(Portrait()), MinimumSensorSide(COrgRectTracker::DefaultHandleSize, Scale(), 1),
            Scale()};
}

bool CDetectAreaSettingDlg::event(QEvent* event) {
    if (event->type() == MessageType(WM_APP_AREASELECT)) {
        SelectFromList(static_cast<int>(static_cast<CMessageEvent*>(event)->LParam()));
        return true;
    }
    return CDetectSettingSubDlgBace::event(event);
}

void CDetectAreaSettingDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || selectedArea_ == -1) {
        CDetectSettingSubDlgBace::mousePressEvent(event);
        return;
    }
    const Point client = ToPoint(event->position());
    tracker_.SetRect(SurfaceToClient(AreaOnSurface(selectedArea_)));
    if (tracker_.BeginTrack(client)) {
        trackerShown_ = true;
    } else if (!DisplayBox().contains(event->position().toPoint())) {
        areaList_->ClearSelection();
        selectedArea_ = -1;
        trackerShown_ = false;
    }
    aids_->Refresh();
    update();
}

void CDetectAreaSettingDlg::mouseMoveEvent(QMouseEvent* event) {
    if (tracker_.IsTracking()) {
        tracker_.TrackTo(ToPoint(event->position()));
        aids_->ShowLive(SurfaceToSensor(ClientToSurface(tracker_.GetTrueRect())));
        update();
    }
}

void CDetectAreaSettingDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CDetectSettingSubDlgBace::mouseReleaseEvent(event);
        return;
    }
    if (tracker_.IsTracking() && tracker_.EndTrack() && selectedArea_ != -1) {
        const DetectAreaEditState before = SaveState();
        const Rect surface = ClientToSurface(tracker_.GetTrueRect());
        areas_[static_cast<std::size_t>(selectedArea_)] =
            SpansImage(surface, ImageRect()) ? UNSET_RECT : SurfaceToSensor(surface);
        CommitChange(before);
    }
    aids_->Refresh();
    update();
}

void CDetectAreaSettingDlg::keyPressEvent(QKeyEvent* event) {
    if (tracker_.CancelOnEscape(*event)) {
        aids_->Refresh();
        update();
        return;
    }
    CDetectSettingSubDlgBace::keyPressEvent(event);
}

} // namespace orlo
