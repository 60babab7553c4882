#include "sim/DetectionJudge.h"

#include <algorithm>

namespace orlo::sim {

namespace {

struct Span {
    long left, top, right, bottom;
    long area() const { return std::max(0L, right - left) * std::max(0L, bottom - top); }
};

Span normalised(const Rect16& r) {
    return {std::min<long>(r.left, r.right), std::min<long>(r.top, r.bottom), std::max<long>(r.left, r.right),
            std::max<long>(r.top, r.bottom)};
}

Span boxSpan(const SensorBox& b) {
    return {b.left, b.top, b.right, b.bottom};
}

bool contains(const Span& s, long x, long y) {
    return x >= s.left && x <= s.right && y >= s.top && y <= s.bottom;
}

long intersection(const Span& a, const Span& b) {
    return Span{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)}
        .area();
}

} // namespace

bool DetectionJudge::reported(const SensorBox& box) const {
    if (box.value < settings_.threshold) {
        return false;
    }
    if (!settings_.humanArea.isSet()) {
        return true;
    }
    return contains(normalised(settings_.humanArea), (box.left + box.right) / 2, (box.top + box.bottom) / 2);
}

bool DetectionJudge::excludedByAreaMask(const SensorBox& box) const {
    const Span b = boxSpan(box);
    for (const auto& mask : settings_.areaMasks) {
        if (!mask.rect.isSet()) {
            continue;
        }
        const Span m = normalised(mask.rect);
        const long cx = (b.left + b.right) / 2;
        bool hit = false;
        if (mask.judge == kJudgeCentre) {
            hit = contains(m, cx, (b.top + b.bottom) / 2);
        } else if (mask.judge == kJudgeFoot) {
            hit = contains(m, cx, b.bottom);
        } else if (mask.judge >= 1 && mask.judge <= 100) {
            // A degenerate box (zero width or height) counts as its centre point.
            hit = b.area() > 0 ? intersection(b, m) * 100 >= long(mask.judge) * b.area()
                               : contains(m, cx, (b.top + b.bottom) / 2);
        }
        if (hit) {
            return true;
        }
    }
    return false;
}

bool DetectionJudge::excludedBySize(const SensorBox& box) const {
    const int size = std::max(box.right - box.left, box.bottom - box.top);
    return size < settings_.sizeMin || size > settings_.sizeMax;
}

bool DetectionJudge::excludedAsFalse(const SensorBox& box) const {
    const Span b = boxSpan(box);
    for (const auto& rect : settings_.falseRects) {
        if (!rect.isSet()) {
            continue;
        }
        const Span f = normalised(rect);
        const long common = intersection(b, f);
        const long uni = b.area() + f.area() - common;
        if (uni > 0 && common * 2 >= uni) {
            return true;
        }
    }
    return false;
}

std::vector<DetectionRecord> DetectionJudge::judge(const std::vector<SensorBox>& boxes) const {
    std::vector<DetectionRecord> out;
    for (const auto& box : boxes) {
        if (!reported(box) || out.size() == 255) {
            continue;
        }
        DetectionRecord r;
        r.left = static_cast<std::int16_t>(box.left);
        r.top = static_cast<std::int16_t>(box.top);
        r.right = static_cast<std::int16_t>(box.right);
        r.bottom = static_cast<std::int16_t>(box.bottom);
        r.info = static_cast<std::uint16_t>(std::clamp(box.value, 0, 1023));
        if (excludedByAreaMask(box)) {
            r.info |= kInfoAreaMask;
        }
        if (excludedBySize(box)) {
            r.info |= kInfoSizeMask;
        }
        if (excludedAsFalse(box)) {
            r.info |= kInfoFalseDetection;
        }
        out.push_back(r);
    }
    return out;
}

std::uint8_t DetectionJudge::stateByte(const std::vector<DetectionRecord>& records) {
    return std::any_of(records.begin(), records.end(),
                       [](const DetectionRecord& r) {
                           return (r.info & (kInfoAreaMask | kInfoSizeMask | kInfoFalseDetection)) == 0;
                       })
               ? 1
               : 0;
}

} // namespace orlo::sim
