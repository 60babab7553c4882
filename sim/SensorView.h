#pragma once

#include "sim/Scene.h"
#include "sim/SensorSettings.h"

#include <cstdint>
#include <span>
#include <vector>

namespace orlo::sim {

// A detection box in sensor coordinates, clipped to the frame.
struct SensorBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int value = 0;
};

// The scene as the sensor sees it for one mounting direction: the frame turns with the camera
// (1600 x 1200 at 0 and 180 degrees, 1200 x 1600 at 90 and 270 degrees) and so do pictures.
class SensorView {
public:
    SensorView(const Scene& scene, std::uint8_t direction);

    // Picture of the whole frame; `w` x `h` must have the frame's aspect (320 x 240 or 240 x 320 ...).
    void renderPicture(int w, int h, std::span<std::uint8_t> out) const;

    // 128 x 128 absolute frame difference over `area` (unset = whole frame); cells whose
    // sample point lies in one of `masks` are 0.
    void renderDifference(const Rect16& area, std::span<const Rect16> masks,
                          std::span<std::uint8_t> out) const;

    std::vector<SensorBox> detections() const;

private:
    void toWorld(double sx, double sy, double& wx, double& wy) const;
    void toSensor(double wx, double wy, double& sx, double& sy) const;

    const Scene& scene_;
    std::uint8_t direction_;
    int width_;
    int height_;
};

} // namespace orlo::sim
