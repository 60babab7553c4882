#include "sim/SensorView.h"

#include "sim/CommandCodes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orlo::sim {

namespace {
bool inside(const Rect16& r, double x, double y) {
    return x >= std::min(r.left, r.right) && x <= std::max(r.left, r.right) &&
           y >= std::min(r.top, r.bottom) && y <= std::max(r.top, r.bottom);
}
} // namespace

SensorView::SensorView(const Scene& scene, std::uint8_t direction)
    : scene_(scene), direction_(direction & 3u), width_(direction_ % 2 ? 1200 : 1600),
      height_(direction_ % 2 ? 1600 : 1200) {}

void SensorView::toWorld(double sx, double sy, double& wx, double& wy) const {
    switch (direction_) {
    case 1:
        wx = sy, wy = 1200 - sx;
        break;
    case 2:
        wx = 1600 - sx, wy = 1200 - sy;
        break;
    case 3:
        wx = 1600 - sy, wy = sx;
        break;
    default:
        wx = sx, wy = sy;
        break;
    }
}

void SensorView::toSensor(double wx, double wy, double& sx, double& sy) const {
    switch (direction_) {
    case 1:
        sx = 1200 - wy, sy = wx;
        break;
    case 2:
        sx = 1600 - wx, sy = 1200 - wy;
        break;
    case 3:
        sx = wy, sy = 1600 - wx;
        break;
    default:
        sx = wx, sy = wy;
        break;
    }
}

void SensorView::renderPicture(int w, int h, std::span<std::uint8_t> out) const {
    const double fx = static_cast<double>(width_) / w;
    const double fy = static_cast<double>(height_) / h;
    for (int v = 0; v < h; ++v) {
        for (int u = 0; u < w; ++u) {
            double wx, wy;
            toWorld((u + 0.5) * fx, (v + 0.5) * fy, wx, wy);
            out[static_cast<std::size_t>(v) * w + u] = scene_.intensity(wx, wy);
        }
    }
}

void SensorView::renderDifference(const Rect16& area, std::span<const Rect16> masks,
                                  std::span<std::uint8_t> out) const {
    double l = 0, t = 0, r = width_, b = height_;
    if (area.isSet()) {
        l = std::min(area.left, area.right);
        r = std::max(area.left, area.right);
        t = std::min(area.top, area.bottom);
        b = std::max(area.top, area.bottom);
    }
    for (std::size_t i = 0; i < kBlockSide; ++i) {
        for (std::size_t j = 0; j < kBlockSide; ++j) {
            const double sx = l + (j + 0.5) * (r - l) / kBlockSide;
            const double sy = t + (i + 0.5) * (b - t) / kBlockSide;
            std::uint8_t v = 0;
            const bool masked = std::any_of(masks.begin(), masks.end(),
                                            [&](const Rect16& m) { return m.isSet() && inside(m, sx, sy); });
            if (!masked) {
                double wx, wy;
                toWorld(sx, sy, wx, wy);
                const int d = std::abs(int(scene_.intensity(wx, wy)) - int(scene_.intensity(wx, wy, true)));
                v = static_cast<std::uint8_t>(std::min(255, d * 2));
            }
            out[i * kBlockSide + j] = v;
        }
    }
}

std::vector<SensorBox> SensorView::detections() const {
    std::vector<SensorBox> out;
    for (const auto& c : scene_.candidates()) {
        double x0, y0, x1, y1;
        toSensor(c.box.left, c.box.top, x0, y0);
        toSensor(c.box.right, c.box.bottom, x1, y1);
        SensorBox s;
        s.left = std::clamp(static_cast<int>(std::lround(std::min(x0, x1))), 0, width_ - 1);
        s.right = std::clamp(static_cast<int>(std::lround(std::max(x0, x1))), 0, width_ - 1);
        s.top = std::clamp(static_cast<int>(std::lround(std::min(y0, y1))), 0, height_ - 1);
        s.bottom = std::clamp(static_cast<int>(std::lround(std::max(y0, y1))), 0, height_ - 1);
        s.value = c.value;
        out.push_back(s);
    }
    return out;
}

} // namespace orlo::sim
