#pragma once

#include "core/regions/Geometry.h"
#include "core/regions/RectTracking.h"

#include <QColor>
#include <QKeyEvent>
#include <QPointF>

namespace orlo {

class CBasisDC;

// A mouse position as the tracker takes it: the nearest pixel.
inline Point ToPoint(const QPointF& position) {
    const QPoint point = position.toPoint();
    return {point.x(), point.y()};
}

// The rectangle tracker of the editors: a rectangle in client coordinates with eight resize handles
// drawn inside it. A press on a handle or inside starts tracking; each mouse step moves the handle
// (or the whole rectangle), keeps the minimum size and then the bounds; the release ends it.
class COrgRectTracker {
public:
    static constexpr int DefaultHandleSize = 10;

    COrgRectTracker();

    void SetRect(const Rect& rect) { rect_ = rect; }
    Rect GetRect() const { return rect_; }
    // The rectangle with its edges in order.
    Rect GetTrueRect() const;
    void SetHandleSize(int size) { handleSize_ = size; }
    void SetMinimumSize(Extent size) { minimumSize_ = size; }
    // Client rectangle the tracked rectangle must stay in; the unset rectangle means no limit.
    void SetBounds(const Rect& bounds) { bounds_ = bounds; }
    // The client point that lands on the drawing surface's origin.
    void SetDrawingOrigin(Point origin) { origin_ = origin; }

    TrackerHit HitTest(Point point) const;

    // Starts tracking from a press; false (and no tracking) when the press misses the rectangle.
    bool BeginTrack(Point press);
    // Follows the mouse while tracking.
    void TrackTo(Point point);
    // Ends tracking; true when the rectangle differs from where it started.
    bool EndTrack();
    // Ends tracking and puts the rectangle back (Escape during a drag).
    void CancelTrack();
    // Escape during a drag cancels it and takes the key; false for any other key or without a drag.
    bool CancelOnEscape(QKeyEvent& event);
    bool IsTracking() const { return hit_ != TrackerHit::Nothing; }

    // Draws the visible handles (and, while tracking, the outline being dragged) on the surface.
    void Draw(CBasisDC& surface) const;

protected:
    // Called after every tracking step that changed the rectangle; keeps it inside the bounds.
    virtual void OnChangedRect(const Rect& previous);

private:
    Rect rect_ = UNSET_RECT;
    Rect start_ = UNSET_RECT;
    Rect bounds_ = UNSET_RECT;
    Point press_;
    Point origin_;
    TrackerHit hit_ = TrackerHit::Nothing;
    int handleSize_ = DefaultHandleSize;
    Extent minimumSize_{DefaultHandleSize, DefaultHandleSize};
    QColor lineColour_{Qt::black};
    QColor handleColour_{Qt::black};
};

} // namespace orlo
