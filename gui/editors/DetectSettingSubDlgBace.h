#pragma once

#include "core/device/ResultCode.h"
#include "core/imaging/ImageData.h"
#include "core/regions/Geometry.h"
#include "core/regions/SensorGeometry.h"
#include "gui/uikit/BasisDC.h"
#include "gui/uikit/BasisDialog.h"

#include <QPointer>

namespace orlo {

class CImgButton;
class CWaitDlg;
class DeviceSession;

// Posted by an editor to itself to load the sensor picture: when it is shown and by UpdateImage.
inline constexpr int WM_APP_LOAD = 0x1400;

// Base of the region editors: a modal dialog that shows the sensor's picture fitted into a 600 x 600
// display box, loads it on a worker behind the wait dialog, and converts rectangles between sensor,
// surface (the box's own pixels) and client coordinates. A concrete editor adds its controls, calls
// InitControls at the end of its constructor, composes the work surface in DrawSurface and hands its
// edited copy back to the page after an OK.
class CDetectSettingSubDlgBace : public CBasisDialog {
    Q_OBJECT

public:
    static constexpr int SurfaceSide = EDITOR_SURFACE_SIDE;

    // owner is the page that opened the editor; it receives WM_RETURN_HOME when a load times out.
    CDetectSettingSubDlgBace(DeviceSession* session, QWidget* owner);
    ~CDetectSettingSubDlgBace() override;

    // The picture of the last successful load: the page takes it over after an OK.
    const CImageData& CurrentPicture() const { return currentPicture_; }
    bool HasPicture() const { return currentPicture_.HasPixels(); }
    ResultCode LoadResult() const { return loadResult_; }
    // The nominal duration of a load: the picture time-out by the session's baud rate.
    int LoadDurationMs() const;

    QRect DisplayBox() const { return displayBox_; }
    // The fitted picture in client coordinates; empty before the first picture.
    Rect ImageRect() const { return imageRect_; }
    double Scale() const { return scale_; }
    // Where the picture's top-left corner lies on the surface.
    Point PictureOffset() const;
    SurfaceTransform SensorTransform() const;
    const QImage& WorkSurface() const { return workSurface_.SurfaceBitmap(); }

    virtual Rect SensorToSurface(const Rect& rect) const;
    virtual Rect SurfaceToSensor(const Rect& rect) const;
    virtual Rect SurfaceToClient(const Rect& rect) const;
    virtual Rect ClientToSurface(const Rect& rect) const;

    CImgButton* UpdateImageButton() const { return updateButton_; }
    CImgButton* OkButton() const { return okButton_; }
    CImgButton* CancelButton() const { return cancelButton_; }

protected:
    // Sets up the update, OK and Cancel buttons, then LayoutControls. Editors set up their own
    // controls first and call this version.
    virtual void InitControls();
    // Places the controls (SetDisplayBox, PlaceUpdateButton, PlaceOkCancel) and sizes the dialog.
    virtual void LayoutControls() = 0;
    // The update-image button: the picture is loaded again; the edited regions stay.
    virtual void UpdateImage();
    // On the worker thread: asks the sensor for what the editor shows, by default a 320 x 240
    // picture. Editors that fetch more keep it in members that only OnLoaded reads.
    virtual ResultCode AcquireData(DeviceSession& session, CImageData& picture);
    // The editor's scale for a loaded picture (sensor to surface, or sensor units per picture pixel).
    virtual double ScaleFor(const CImageData& picture) const = 0;
    // On the user-interface thread after a successful load.
    virtual void OnLoaded() {}
    // Composes the work surface; painting then copies it 1:1 into the display box.
    virtual void DrawSurface() = 0;

    void SetDisplayBox(QPoint topLeft);
    void PlaceUpdateButton();
    // OK and Cancel with their tops at top, OK ending at okRight and Cancel starting at cancelLeft.
    void PlaceOkCancel(int top, int okRight, int cancelLeft);

    // The sensor's frame is portrait (read at the moment of asking; false without a session).
    bool Portrait() const;
    CBasisDC& WorkSurfaceDC() { return workSurface_; }
    const CBasisDC& PictureSurface() const { return pictureSurface_; }
    // Work surface filled black with the fitted picture.
    void DrawPictureOnWorkSurface();

    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Load();
    void ShowPicture(CImageData picture);
    void ReportLoadFailure();

    DeviceSession* session_;
    QPointer<QWidget> owner_;
    CImgButton* updateButton_;
    CImgButton* okButton_;
    CImgButton* cancelButton_;
    CWaitDlg* waitDialog_;
    CBasisDC workSurface_;
    CBasisDC pictureSurface_;
    QRect displayBox_;
    Rect imageRect_{0, 0, 0, 0};
    CImageData currentPicture_;
    double scale_ = 1.0;
    ResultCode loadResult_ = RC_OK;
    bool loading_ = false;
};

} // namespace orlo
