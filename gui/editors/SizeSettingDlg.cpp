#include "gui/editors/SizeSettingDlg.h"

#include "core/strings/CaptionIds.h"
#include "gui/editors/EditorLists.h"
#include "gui/editors/RegionEditTexts.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/RangeEdit.h"
#include "gui/uikit/SpinButton.h"
#include "gui/uikit/StringText.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <algorithm>

namespace orlo {
namespace {

constexpr int MSG_SIZE_MASK_INVALID = 1111;
constexpr CRange SIZE_RANGE{20, 1600};
constexpr QPoint DISPLAY_BOX{16, 48};
constexpr QPoint LIST_POSITION{624, 48};
constexpr int LIST_ROWS = 20;
constexpr int NUMBER_COLUMN_WIDTH = 32;
constexpr int SIZE_COLUMN_PADDING = 32;
constexpr int FIELDS_TOP = 16;
constexpr int FIELD_WIDTH = 56;
constexpr int TILDE_GAP = 4;
constexpr int BUTTON_ROW_GAP = 16;
constexpr int OK_FROM_CENTRE = 16;
constexpr int CANCEL_FROM_CENTRE = 32;
constexpr int RIGHT_MARGIN = 16;
constexpr int BOTTOM_MARGIN = 16;
constexpr int HINT_GAP = 8;

const QColor SELECTED_COLOUR(255, 0, 0);
const QColor SIZE_MASKED_COLOUR(112, 48, 160);
const QColor PLAIN_COLOUR(141, 201, 77);

// What a limit field stands for: an empty text reads as the minimum, as the field shows it once it
// loses the focus.
int FieldValue(const CRangeEdit& field) {
    return field.text().isEmpty() ? field.Range().minimum : field.Range().Clamp(field.GetInt());
}

} // namespace

CSizeSettingDlg::CSizeSettingDlg(DeviceSession* session, QWidget* owner, int minimum, int maximum)
    : CDetectionRunDlgBase(session, owner), minimum_(minimum), maximum_(maximum),
      minimumField_(new CRangeEdit(this)), minimumSpin_(new CSpinButton(this)),
      tilde_(new QLabel(StringText(CAP_RANGE_SIGN), this)), maximumField_(new CRangeEdit(this)),
      maximumSpin_(new CSpinButton(this)), list_(new COrgListCtrl(this)),
      hint_(new QLabel(StringText(HINT_SIZE_EDITOR), this)) {
    hint_->setObjectName(QStringLiteral("editorHint"));
    setWindowTitle(StringText(CAP_SIZE_MASK_DIALOG));
    minimumField_->setObjectName(QStringLiteral("minimumField"));
    maximumField_->setObjectName(QStringLiteral("maximumField"));
    list_->setObjectName(QStringLiteral("detectionList"));
    for (CRangeEdit* field : {minimumField_, maximumField_}) {
        field->SetRange(SIZE_RANGE);
    }
    minimumSpin_->SetRange(SIZE_RANGE);
    maximumSpin_->SetRange(SIZE_RANGE);
    minimumField_->SetInt(minimum);
    maximumField_->SetInt(maximum);

    list_->SetExtendedStyles();
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics metrics(font());
    const QString sizeHeading = StringText(CAP_HEADING_SIZE);
    const int sizeWidth =
        std::max(metrics.horizontalAdvance(QStringLiteral("wwww")), metrics.horizontalAdvance(sizeHeading)) +
        SIZE_COLUMN_PADDING;
    const QString numberHeading = StringText(CAP_HEADING_NUMBER);
    const int numberWidth = std::max(NUMBER_COLUMN_WIDTH, metrics.horizontalAdvance(numberHeading) + 16);
    const ListColumn columns[] = {{numberHeading, Qt::AlignLeft, numberWidth},
                                  {sizeHeading, Qt::AlignLeft, sizeWidth}};
    list_->AddColumns(columns);
    FitListToColumns(*list_, LIST_ROWS);
    CListClickWatch::Install(*list_, [this](int row, int) {
        listSelection_ = row;
        if (row < 0) {
            list_->clearSelection();
        }
        update();
    });
    InitControls();
}

int CSizeSettingDlg::DetectionSize(const DetectionResult& detection) {
    return std::max(detection.right - detection.left, detection.bottom - detection.top);
}

QColor CSizeSettingDlg::OutlineColour(const DetectionResult& detection, bool selected) {
    if (selected) {
        return SELECTED_COLOUR;
    }
    return detection.excludedBySizeMask ? SIZE_MASKED_COLOUR : PLAIN_COLOUR;
}

void CSizeSettingDlg::accept() {
    const int minimum = FieldValue(*minimumField_);
    const int maximum = FieldValue(*maximumField_);
    if (maximum < minimum) {
        // Refused while the detections are still in view to choose from, not later by the page.
        COrgMessageBox::Show(this, StringText(MSG_SIZE_MASK_INVALID));
        return;
    }
    minimum_ = minimum;
    maximum_ = maximum;
    CDetectionRunDlgBase::accept();
}

void CSizeSettingDlg::LayoutControls() {
    SetDisplayBox(DISPLAY_BOX);
    PlaceUpdateButton();
    list_->move(LIST_POSITION);
    const int width = list_->geometry().right() + 1 + RIGHT_MARGIN;
    const int centre = width / 2;

    // The limits on one line, the "～" between them on the dialog's centre.
    const int fieldHeight = minimumField_->sizeHint().height();
    tilde_->adjustSize();
    tilde_->move(centre - tilde_->width() / 2, FIELDS_TOP + (fieldHeight - tilde_->height()) / 2);
    minimumField_->resize(FIELD_WIDTH, fieldHeight);
    minimumSpin_->SetBuddy(minimumField_);
    minimumField_->move(tilde_->x() - TILDE_GAP - minimumSpin_->width() - FIELD_WIDTH, FIELDS_TOP);
    minimumSpin_->AttachToBuddy();
    maximumField_->setGeometry(tilde_->geometry().right() + 1 + TILDE_GAP, FIELDS_TOP, FIELD_WIDTH,
                               fieldHeight);
    maximumSpin_->SetBuddy(maximumField_);

    hint_->setGeometry(DisplayBox().left(), DisplayBox().bottom() + 1 + HINT_GAP, width - 2 * RIGHT_MARGIN,
                       hint_->sizeHint().height());
    PlaceOkCancel(hint_->geometry().bottom() + 1 + BUTTON_ROW_GAP, centre - OK_FROM_CENTRE,
                  centre + CANCEL_FROM_CENTRE);
    WindowSizeForClient({width, OkButton()->geometry().bottom() + 1 + BOTTOM_MARGIN});
}

void CSizeSettingDlg::OnLoaded() {
    CDetectionRunDlgBase::OnLoaded();
    FillList();
}

void CSizeSettingDlg::FillList() {
    list_->setRowCount(0);
    listSelection_ = -1;
    const std::vector<DetectionResult>& detections = Detections();
    for (std::size_t position = 0; position < detections.size(); ++position) {
        list_->InsertRow(
            {QString::number(position + 1), QString::number(DetectionSize(detections[position]))},
            static_cast<qint64>(position));
    }
}

QSize CSizeSettingDlg::NumberExtent() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(QStringLiteral("xx")), metrics.height()};
}

QPoint CSizeSettingDlg::NumberPosition(const DetectionResult& detection) const {
    const Rect pixels = ToPicturePixels(RectOf(detection));
    const QPoint corner = PictureSurface().Map({pixels.left, pixels.top});
    return {corner.x(), corner.y() - NumberExtent().height()};
}

void CSizeSettingDlg::DrawSurface() {
    DrawPictureForOutlines();
    if (!HasPicture()) {
        return;
    }
    const int selected = listSelection_ >= 0 && listSelection_ < list_->rowCount()
                             ? static_cast<int>(list_->RowValue(listSelection_))
                             : -1;
    const QSize extent = NumberExtent();
    const std::vector<DetectionResult>& detections = Detections();
    for (std::size_t position = 0; position < detections.size(); ++position) {
        const DetectionResult& detection = detections[position];
        const QColor colour = OutlineColour(detection, static_cast<int>(position) == selected);
        OutlineInPicture(RectOf(detection), colour);
        // The number just above the top-left corner, over a black shadow.
        QPainter painter(&WorkSurfaceDC().SurfaceBitmap());
        painter.setFont(font());
        const QPoint at = NumberPosition(detection);
        const QString number = QString::number(position + 1);
        const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;
        painter.setPen(Qt::black);
        painter.drawText(QRect(at + QPoint(1, 1), extent), flags, number);
        painter.setPen(colour);
        painter.drawText(QRect(at, extent), flags, number);
    }
}

} // namespace orlo
