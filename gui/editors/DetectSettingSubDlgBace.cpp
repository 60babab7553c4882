#include "gui/editors/DetectSettingSubDlgBace.h"

#include "core/device/DetectionCommands.h"
#include "core/device/DeviceSession.h"
#include "core/device/ResultMessage.h"
#include "core/strings/CaptionIds.h"
#include "gui/shell/SessionCancel.h"
#include "gui/shell/TaskRunner.h"
#include "gui/shell/WaitDlg.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QPainter>
#include <QShowEvent>
#include <optional>

namespace orlo {
namespace {

// The editors show the 320 x 240 picture.
constexpr int PICTURE_KIND = 1;
constexpr QSize UPDATE_BUTTON_SIZE{24, 24};
constexpr QPoint UPDATE_BUTTON_POSITION{16, 16};

CImgButton* CreateButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new CImgButton(caption, parent); // owned by the dialog
    button->setObjectName(name);
    return button;
}

} // namespace

CDetectSettingSubDlgBace::CDetectSettingSubDlgBace(DeviceSession* session, QWidget* owner)
    : CBasisDialog(owner), session_(session), owner_(owner),
      updateButton_(CreateButton(QString(), QStringLiteral("updateImageButton"), this)),
      okButton_(CreateButton(StringText(CAP_OK), QStringLiteral("okButton"), this)),
      cancelButton_(CreateButton(StringText(CAP_CANCEL), QStringLiteral("cancelButton"), this)),
      waitDialog_(new CWaitDlg(this)) {
    setModal(true);
    workSurface_.CreateSurface(QSize(SurfaceSide, SurfaceSide));
    pictureSurface_.CreateSurface(QSize(SurfaceSide, SurfaceSide));
    connect(updateButton_, &CImgButton::clicked, this, [this] { UpdateImage(); });
    connect(okButton_, &CImgButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &CImgButton::clicked, this, &QDialog::reject);
}

CDetectSettingSubDlgBace::~CDetectSettingSubDlgBace() = default;

int CDetectSettingSubDlgBace::LoadDurationMs() const {
    return session_ != nullptr ? DetectionTimeoutMs(session_->BaudRate(), PICTURE_KIND) : 0;
}

bool CDetectSettingSubDlgBace::Portrait() const {
    return session_ != nullptr && session_->Portrait() == 1;
}

Point CDetectSettingSubDlgBace::PictureOffset() const {
    const QPoint offset = pictureSurface_.Offset();
    return {offset.x(), offset.y()};
}

SurfaceTransform CDetectSettingSubDlgBace::SensorTransform() const {
    const Point offset = PictureOffset();
    return {scale_, offset.x, offset.y};
}

Rect CDetectSettingSubDlgBace::SensorToSurface(const Rect& rect) const {
    return orlo::SensorToSurface(rect, SensorTransform());
}

Rect CDetectSettingSubDlgBace::SurfaceToSensor(const Rect& rect) const {
    return orlo::SurfaceToSensor(rect, SensorTransform());
}

Rect CDetectSettingSubDlgBace::SurfaceToClient(const Rect& rect) const {
    return orlo::SurfaceToClient(rect, {displayBox_.left(), displayBox_.top()});
}

Rect CDetectSettingSubDlgBace::ClientToSurface(const Rect& rect) const {
    return orlo::ClientToSurface(rect, {displayBox_.left(), displayBox_.top()});
}

void CDetectSettingSubDlgBace::InitControls() {
    updateButton_->Setup(PIC_UPDATE_BUTTON, {1, true});
    okButton_->Setup(PIC_COMMON_BUTTON);
    cancelButton_->Setup(PIC_COMMON_BUTTON);
    LayoutControls();
}

void CDetectSettingSubDlgBace::UpdateImage() {
    PostMessageTo(this, WM_APP_LOAD);
}

ResultCode CDetectSettingSubDlgBace::AcquireData(DeviceSession& session, CImageData& picture) {
    return AcquireImage(session, PICTURE_KIND, picture);
}

void CDetectSettingSubDlgBace::SetDisplayBox(QPoint topLeft) {
    displayBox_ = QRect(topLeft, QSize(SurfaceSide, SurfaceSide));
}

void CDetectSettingSubDlgBace::PlaceUpdateButton() {
    updateButton_->setGeometry(QRect(UPDATE_BUTTON_POSITION, UPDATE_BUTTON_SIZE));
}

void CDetectSettingSubDlgBace::PlaceOkCancel(int top, int okRight, int cancelLeft) {
    okButton_->move(okRight - okButton_->width(), top);
    cancelButton_->move(cancelLeft, top);
}

void CDetectSettingSubDlgBace::DrawPictureOnWorkSurface() {
    QImage& work = workSurface_.SurfaceBitmap();
    if (work.isNull()) {
        return;
    }
    work.fill(Qt::black);
    QPainter painter(&work);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, pictureSurface_.SurfaceBitmap());
}

bool CDetectSettingSubDlgBace::event(QEvent* event) {
    if (event->type() == MessageType(WM_APP_LOAD)) {
        Load();
        return true;
    }
    return CBasisDialog::event(event);
}

void CDetectSettingSubDlgBace::showEvent(QShowEvent* event) {
    CBasisDialog::showEvent(event);
    if (!event->spontaneous()) {
        PostMessageTo(this, WM_APP_LOAD);
    }
}

void CDetectSettingSubDlgBace::paintEvent(QPaintEvent*) {
    DrawSurface();
    QPainter painter(this);
    painter.drawImage(displayBox_.topLeft(), workSurface_.SurfaceBitmap());
}

void CDetectSettingSubDlgBace::Load() {
    // A second request while the wait dialog is up would start a second worker on the session.
    if (loading_) {
        return;
    }
    loading_ = true;
    CImageData picture;
    std::optional<SessionCancel> cancel;
    if (session_ != nullptr) {
        cancel.emplace(*session_);
    }
    const std::optional<ResultCode> result = RunTask(
        *waitDialog_, LoadDurationMs(),
        [this, &picture]() -> ResultCode {
            return session_ != nullptr ? AcquireData(*session_, picture) : RC_NO_LINK;
        },
        cancel ? cancel->Action() : std::function<void()>());
    cancel.reset();
    loading_ = false;
    if (!result) {
        // No worker: the editor goes on with the picture it has.
        return;
    }
    loadResult_ = *result;
    if (loadResult_ != RC_OK) {
        ReportLoadFailure();
        return;
    }
    ShowPicture(std::move(picture));
    OnLoaded();
    update();
}

void CDetectSettingSubDlgBace::ShowPicture(CImageData picture) {
    currentPicture_ = std::move(picture);
    scale_ = ScaleFor(currentPicture_);
    pictureSurface_.Fill(Qt::black);
    pictureSurface_.DrawFitted(currentPicture_);
    const FitPlacement placement =
        FitToSurface({currentPicture_.Width(), currentPicture_.Height()}, {SurfaceSide, SurfaceSide});
    imageRect_ =
        ImageRectOnClient({displayBox_.left(), displayBox_.top()}, {SurfaceSide, SurfaceSide}, placement);
}

void CDetectSettingSubDlgBace::ReportLoadFailure() {
    COrgMessageBox::Show(this, QString::fromStdString(ResultMessage(loadResult_)), MessageButtons::Ok,
                         MessageIcon::Information);
    // A cancel cuts the exchange and with it the link: as lost as after a time-out.
    if (loadResult_ == RC_TIMEOUT || loadResult_ == RC_CANCELLED) {
        PostMessageTo(owner_, WM_RETURN_HOME);
    }
    // Ends the dialog as Cancel once this handler has returned.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

} // namespace orlo
