#include "gui/editors/FalseRectDlg.h"

#include "core/regions/RectTracking.h"
#include "core/strings/CaptionIds.h"
#include "gui/editors/EditorLists.h"
#include "gui/editors/EditorTexts.h"
#include "gui/editors/RegionEditTexts.h"
#include "gui/editors/RegionNumbers.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QFontMetrics>
#include <QMouseEvent>

namespace orlo {
namespace {

constexpr int MSG_UPDATE_DISCARDS = 1126;
constexpr int MSG_OPEN_DISCARDS = 1127;
constexpr int MSG_DELETE_REGISTERED = 1128;
constexpr int MSG_REGISTRATION_FULL = 1141;
constexpr int STR_RECT_ROW = 5020;

constexpr QPoint DISPLAY_BOX{8, 48};
constexpr int LIST_LEFT = 616;
constexpr int LIST_CENTRE_Y = 248;
constexpr int LIST_ROWS = 15;
constexpr int COLUMN_PADDING = 32;
constexpr int GAP = 8;
constexpr int BUTTON_ROW_GAP = 16;
constexpr int OK_FROM_CENTRE = 16;
constexpr int CANCEL_FROM_OK = 32;
constexpr int RIGHT_MARGIN = 16;
constexpr int BOTTOM_MARGIN = 16;
constexpr int HINT_GAP = 8;

const QColor CANDIDATE_COLOUR(141, 201, 77);
const QColor SELECTED_CANDIDATE_COLOUR(237, 125, 49);
const QColor REGISTERED_COLOUR(0, 176, 240);
const QColor SELECTED_REGISTERED_COLOUR(255, 0, 0);

QString RowText(const Rect& rect) {
    return FormatNumbersText(STR_RECT_ROW, {rect.left, rect.top, rect.right, rect.bottom});
}

} // namespace

CFalseRectDlg::CFalseRectDlg(DeviceSession* session, QWidget* owner, std::vector<CFalseRectArea> registered)
    : CDetectionRunDlgBase(session, owner), registration_(std::move(registered)),
      candidateList_(new COrgListCtrl(this)), registeredList_(new COrgListCtrl(this)),
      registerButton_(new CImgButton(StringText(CAP_REGISTER), this)),
      deleteButton_(new CImgButton(StringText(CAP_UNREGISTER), this)),
      aids_(new CRegionEditAids(*this, *this, HINT_FALSE_RECT_EDITOR)) {
    aids_->Numbers()->hide();
    setWindowTitle(StringText(CAP_FALSE_RECT_DIALOG));
    candidateList_->setObjectName(QStringLiteral("candidateList"));
    registeredList_->setObjectName(QStringLiteral("registeredList"));
    registerButton_->setObjectName(QStringLiteral("registerButton"));
    deleteButton_->setObjectName(QStringLiteral("deleteButton"));
    SetupList(*candidateList_);
    SetupList(*registeredList_);
    registerButton_->Setup(PIC_COMMON_BUTTON);
    deleteButton_->Setup(PIC_COMMON_BUTTON);
    connect(registerButton_, &CImgButton::clicked, this, &CFalseRectDlg::Register);
    connect(deleteButton_, &CImgButton::clicked, this, &CFalseRectDlg::Delete);
    InitControls();
    FillRegisteredList();
    SelectionChanged();
}

bool CFalseRectDlg::ConfirmOpening(QWidget* page, std::vector<CFalseRectArea>& pageRects) {
    if (FalseRectRegistration::HasUnapplied(pageRects) &&
        COrgMessageBox::Show(page, StringText(MSG_OPEN_DISCARDS), MessageButtons::YesNo,
                             MessageIcon::Question) != MessageAnswer::Yes) {
        return false;
    }
    FalseRectRegistration::DiscardUnapplied(pageRects);
    return true;
}

void CFalseRectDlg::SetupList(COrgListCtrl& list) {
    list.SetExtendedStyles();
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int columnWidth =
        QFontMetrics(font()).horizontalAdvance(QStringLiteral("L:1600, T:1600, R:1600, B:1600")) +
        COLUMN_PADDING;
    const ListColumn columns[] = {
        {StringText(&list == candidateList_ ? CAP_HEADING_CANDIDATES : CAP_HEADING_REGISTERED), Qt::AlignLeft,
         columnWidth}};
    list.AddColumns(columns);
    FitListToColumns(list, LIST_ROWS);
    list.installEventFilter(this);
    CListClickWatch::Install(list, [this, &list](int row, int) { OnListClick(list, row); });
}

void CFalseRectDlg::LayoutControls() {
    SetDisplayBox(DISPLAY_BOX);
    PlaceUpdateButton();
    aids_->PlaceButtons(UpdateImageButton()->geometry());
    const int listHeight = candidateList_->height();
    candidateList_->move(LIST_LEFT, LIST_CENTRE_Y - listHeight / 2);
    const int buttonsLeft = candidateList_->geometry().right() + 1 + GAP;
    registerButton_->move(buttonsLeft, candidateList_->y() + listHeight / 5);
    deleteButton_->move(buttonsLeft, candidateList_->y() + listHeight * 3 / 5);
    registeredList_->move(registerButton_->geometry().right() + 1 + GAP, candidateList_->y());

    const int width = registeredList_->geometry().right() + 1 + RIGHT_MARGIN;
    const int hintBottom =
        aids_->PlaceHint(DisplayBox().left(), DisplayBox().bottom() + 1 + HINT_GAP, width - 2 * RIGHT_MARGIN);
    const int okRight = width / 2 - OK_FROM_CENTRE;
    PlaceOkCancel(hintBottom + 1 + BUTTON_ROW_GAP, okRight, okRight + CANCEL_FROM_OK);
    WindowSizeForClient({width, OkButton()->geometry().bottom() + 1 + BOTTOM_MARGIN});
}

void CFalseRectDlg::UpdateImage() {
    if (registration_.HasUnapplied() &&
        COrgMessageBox::Show(this, StringText(MSG_UPDATE_DISCARDS), MessageButtons::YesNo,
                             MessageIcon::Question) != MessageAnswer::Yes) {
        return;
    }
    CDetectionRunDlgBase::UpdateImage();
}

void CFalseRectDlg::OnLoaded() {
    CDetectionRunDlgBase::OnLoaded();
    std::vector<DetectedBox> boxes;
    boxes.reserve(Detections().size());
    for (const DetectionResult& detection : Detections()) {
        boxes.push_back({RectOf(detection), !detection.IsPlain()});
    }
    registration_.SetDetections(boxes);
    // Earlier states hold the candidates of another picture.
    history_ = {};
    candidateSelection_ = -1;
    registeredSelection_ = -1;
    FillCandidateList();
    FillRegisteredList();
    SelectionChanged();
}

void CFalseRectDlg::SelectNextRegion() {
    const int rows = registeredList_->rowCount();
    if (rows == 0) {
        return;
    }
    int current = -1;
    for (int row = 0; row < rows; ++row) {
        if (registeredList_->RowValue(row) == registeredSelection_) {
            current = row;
        }
    }
    registeredList_->setFocus(Qt::TabFocusReason); // takes the selection from the candidates
    OnListClick(*registeredList_, (current + 1) % rows);
}

void CFalseRectDlg::UndoChange() {
    if (auto earlier = history_.Undo(registration_.Current())) {
        ShowRestored(std::move(*earlier));
    }
}

void CFalseRectDlg::RedoChange() {
    if (auto later = history_.Redo(registration_.Current())) {
        ShowRestored(std::move(*later));
    }
}

void CFalseRectDlg::ShowRestored(FalseRectRegistration::State state) {
    registration_.Restore(std::move(state));
    candidateSelection_ = -1;
    registeredSelection_ = -1;
    FillCandidateList();
    FillRegisteredList();
    SelectionChanged();
}

void CFalseRectDlg::FillCandidateList() {
    candidateList_->setRowCount(0);
    const std::vector<FalseRectCandidate>& candidates = registration_.Candidates();
    for (std::size_t position = 0; position < candidates.size(); ++position) {
        if (candidates[position].listed) {
            candidateList_->InsertRow({RowText(candidates[position].rect)}, static_cast<qint64>(position));
        }
    }
}

void CFalseRectDlg::FillRegisteredList() {
    registeredList_->setRowCount(0);
    const std::vector<CFalseRectArea>& registered = registration_.Registered();
    for (std::size_t slot = 0; slot < registered.size(); ++slot) {
        if (registered[slot].IsSet()) {
            registeredList_->InsertRow({RowText(registered[slot].GetRect())}, static_cast<qint64>(slot));
        }
    }
}

void CFalseRectDlg::Register() {
    if (candidateSelection_ == -1) {
        return;
    }
    const FalseRectRegistration::State before = registration_.Current();
    switch (registration_.Register(candidateSelection_)) {
    case FalseRectRegistration::RegisterResult::Full:
        COrgMessageBox::Show(this, StringText(MSG_REGISTRATION_FULL), MessageButtons::Ok,
                             MessageIcon::Information);
        return;
    case FalseRectRegistration::RegisterResult::NoCandidate:
        return;
    case FalseRectRegistration::RegisterResult::Registered:
        break;
    }
    history_.Record(before, registration_.Current());
    FillRegisteredList();
    candidateSelection_ = -1;
    FillCandidateList();
    SelectionChanged();
}

void CFalseRectDlg::Delete() {
    if (registeredSelection_ == -1 ||
        COrgMessageBox::Show(this, StringText(MSG_DELETE_REGISTERED), MessageButtons::YesNo,
                             MessageIcon::Question) != MessageAnswer::Yes) {
        return;
    }
    const FalseRectRegistration::State before = registration_.Current();
    registration_.Remove(registeredSelection_);
    history_.Record(before, registration_.Current());
    registeredSelection_ = -1;
    FillCandidateList();
    FillRegisteredList();
    SelectionChanged();
}

void CFalseRectDlg::DrawSurface() {
    DrawPictureForOutlines();
    // Without a picture there is no scale to place the rectangles with.
    if (!HasPicture()) {
        return;
    }
    const std::vector<FalseRectCandidate>& candidates = registration_.Candidates();
    for (std::size_t position = 0; position < candidates.size(); ++position) {
        if (candidates[position].listed) {
            const bool selected = static_cast<int>(position) == candidateSelection_;
            OutlineInPicture(candidates[position].rect,
                             selected ? SELECTED_CANDIDATE_COLOUR : CANDIDATE_COLOUR);
        }
    }
    const std::vector<CFalseRectArea>& registered = registration_.Registered();
    for (std::size_t slot = 0; slot < registered.size(); ++slot) {
        if (registered[slot].IsSet()) {
            const bool selected = static_cast<int>(slot) == registeredSelection_;
            OutlineInPicture(registered[slot].GetRect(),
                             selected ? SELECTED_REGISTERED_COLOUR : REGISTERED_COLOUR);
        }
    }
}

void CFalseRectDlg::OnListClick(COrgListCtrl& list, int row) {
    int& selection = &list == candidateList_ ? candidateSelection_ : registeredSelection_;
    if (row < 0) {
        list.clearSelection();
        selection = -1;
    } else {
        list.SelectRow(row);
        selection = static_cast<int>(list.RowValue(row));
    }
    SelectionChanged();
}

bool CFalseRectDlg::eventFilter(QObject* watched, QEvent* event) {
    for (COrgListCtrl* list : {candidateList_, registeredList_}) {
        if (watched == list && event->type() == QEvent::FocusIn) {
            // One selection at a time: the list that gets the focus takes it from the other.
            COrgListCtrl& other = list == candidateList_ ? *registeredList_ : *candidateList_;
            other.clearSelection();
            (list == candidateList_ ? registeredSelection_ : candidateSelection_) = -1;
            SelectionChanged();
        } else if (watched == list && event->type() == QEvent::FocusOut) {
            update();
        }
    }
    return CDetectionRunDlgBase::eventFilter(watched, event);
}

void CFalseRectDlg::ClearSelections() {
    candidateList_->clearSelection();
    registeredList_->clearSelection();
    candidateSelection_ = -1;
    registeredSelection_ = -1;
}

void CFalseRectDlg::SelectAt(QPoint client) {
    ClearSelections();
    const Point pixel = ClientToPicturePixel(client);
    const std::vector<FalseRectCandidate>& candidates = registration_.Candidates();
    for (std::size_t position = 0; position < candidates.size(); ++position) {
        if (candidates[position].listed && ContainsPoint(ToPicturePixels(candidates[position].rect), pixel)) {
            candidateSelection_ = static_cast<int>(position);
            candidateList_->SelectRow(candidateList_->FindByValue(candidateSelection_));
            return;
        }
    }
    const std::vector<CFalseRectArea>& registered = registration_.Registered();
    for (std::size_t slot = 0; slot < registered.size(); ++slot) {
        if (registered[slot].IsSet() && ContainsPoint(ToPicturePixels(registered[slot].GetRect()), pixel)) {
            registeredSelection_ = static_cast<int>(slot);
            registeredList_->SelectRow(registeredList_->FindByValue(registeredSelection_));
            return;
        }
    }
}

void CFalseRectDlg::SelectionChanged() {
    registerButton_->setEnabled(candidateSelection_ != -1);
    deleteButton_->setEnabled(registeredSelection_ != -1);
    aids_->Refresh();
    update();
}

void CFalseRectDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CDetectionRunDlgBase::mousePressEvent(event);
        return;
    }
    const QPoint client = event->position().toPoint();
    if (DisplayBox().contains(client)) {
        pressPoint_ = client;
        pressing_ = true;
        return;
    }
    ClearSelections();
    SelectionChanged();
}

void CFalseRectDlg::mouseMoveEvent(QMouseEvent* event) {
    // A drag selects nothing.
    if (pressing_ && event->position().toPoint() != pressPoint_) {
        pressing_ = false;
    }
}

void CFalseRectDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        CDetectionRunDlgBase::mouseReleaseEvent(event);
        return;
    }
    if (pressing_) {
        pressing_ = false;
        SelectAt(pressPoint_);
        SelectionChanged();
    }
}

} // namespace orlo
