#include "gui/editors/OrgRectTracker.h"

#include "gui/uikit/BasisDC.h"

#include <QPainter>
#include <algorithm>

namespace orlo {

COrgRectTracker::COrgRectTracker() = default;

Rect COrgRectTracker::GetTrueRect() const {
    return NormalisedRect({rect_.left, rect_.top}, {rect_.right, rect_.bottom});
}

TrackerHit COrgRectTracker::HitTest(Point point) const {
    return HitTestTracker(GetTrueRect(), point, handleSize_);
}

bool COrgRectTracker::BeginTrack(Point press) {
    const TrackerHit hit = HitTest(press);
    if (hit == TrackerHit::Nothing) {
        return false;
    }
    rect_ = GetTrueRect();
    start_ = rect_;
    press_ = press;
    hit_ = hit;
    return true;
}

void COrgRectTracker::TrackTo(Point point) {
    if (!IsTracking()) {
        return;
    }
    const Rect previous = rect_;
    rect_ = TrackedRect(start_, hit_, press_, point, minimumSize_);
    if (rect_ != previous) {
        OnChangedRect(previous);
    }
}

bool COrgRectTracker::EndTrack() {
    if (!IsTracking()) {
        return false;
    }
    hit_ = TrackerHit::Nothing;
    rect_ = GetTrueRect();
    return rect_ != start_;
}

void COrgRectTracker::CancelTrack() {
    if (IsTracking()) {
        hit_ = TrackerHit::Nothing;
        rect_ = start_;
    }
}

bool COrgRectTracker::CancelOnEscape(QKeyEvent& event) {
    if (event.key() != Qt::Key_Escape || !IsTracking()) {
        return false;
    }
    CancelTrack();
    event.accept();
    return true;
}

void COrgRectTracker::OnChangedRect(const Rect& previous) {
    rect_ = KeepInBounds(previous, rect_, bounds_);
}

void COrgRectTracker::Draw(CBasisDC& surface) const {
    QImage& image = surface.SurfaceBitmap();
    if (image.isNull()) {
        return;
    }
    const Rect rect = ClientToSurface(GetTrueRect(), origin_);
    QPainter painter(&image);
    if (IsTracking()) {
        // The outline being dragged inverts what is under it, so it shows on any picture.
        QPen pen(lineColour_, 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.drawRect(QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1)));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    for (int i = static_cast<int>(TrackerHit::TopLeft); i <= static_cast<int>(TrackerHit::Left); ++i) {
        const auto handle = static_cast<TrackerHit>(i);
        if (!HandleVisible(rect, handle, handleSize_)) {
            continue;
        }
        const Rect square = HandleRect(rect, handle, handleSize_);
        painter.fillRect(QRect(square.left, square.top, square.Width(), square.Height()), handleColour_);
    }
}

} // namespace orlo
