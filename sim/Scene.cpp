#include "sim/Scene.h"

#include <algorithm>
#include <cmath>

namespace orlo::sim {

namespace {
constexpr int kMaxPeople = 4;
constexpr double kPi = 3.14159265358979323846;

double overlapArea(const WorldBox& a, const WorldBox& b) {
    const double w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const double h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0.0;
}
} // namespace

WorldBox Scene::Thing::bounds() const {
    // Axis-aligned box of the body ellipse turned to the walking direction.
    const double speed = std::hypot(vx, vy);
    const double c = speed > 0 ? vx / speed : 1.0;
    const double s = speed > 0 ? vy / speed : 0.0;
    const double hx = std::sqrt(halfDepth * halfDepth * c * c + halfWidth * halfWidth * s * s);
    const double hy = std::sqrt(halfDepth * halfDepth * s * s + halfWidth * halfWidth * c * c);
    return {x - hx, y - hy, x + hx, y + hy};
}

Scene::Scene(std::uint64_t seed) : seed_(seed), rng_(seed), floor_(seed) {
    spawn(Kind::Plant, true);
    spawn(Kind::Person, true);
    spawn(Kind::Person, true);
    previous_ = things_;
}

void Scene::spawn(Kind kind, bool inside) {
    Thing t;
    t.kind = kind;
    t.id = nextId_++;
    switch (kind) {
    case Kind::Person:
        t.halfWidth = rng_.between(70, 120);
        t.halfDepth = t.halfWidth * rng_.between(0.45, 0.6);
        t.bodyGrey = static_cast<std::uint8_t>(rng_.below(2) ? rng_.between(30, 80) : rng_.between(200, 240));
        t.headGrey = static_cast<std::uint8_t>(rng_.between(20, 60));
        t.baseValue = static_cast<int>(rng_.between(650, 950));
        break;
    case Kind::Small:
        t.halfWidth = t.halfDepth = rng_.between(26, 36);
        t.bodyGrey = 215;
        t.headGrey = 60;
        t.baseValue = static_cast<int>(rng_.between(560, 660));
        break;
    case Kind::Plant:
        t.halfWidth = t.halfDepth = rng_.between(65, 80);
        t.bodyGrey = 70;
        t.headGrey = 95;
        t.baseValue = static_cast<int>(rng_.between(520, 570));
        t.x = rng_.between(300, 1300);
        t.y = rng_.between(250, 950);
        things_.push_back(t);
        return;
    }
    const double speed = kind == Kind::Person ? rng_.between(20, 40) : rng_.between(10, 20);
    double sx, sy, tx, ty;
    if (inside) {
        sx = rng_.between(200, kWorldWidth - 200);
        sy = rng_.between(200, kWorldHeight - 200);
        const double a = rng_.between(0, 2 * kPi);
        tx = sx + std::cos(a);
        ty = sy + std::sin(a);
    } else {
        const double margin = t.halfWidth * 1.5;
        const auto side = rng_.below(4);
        const double u = rng_.uniform(), v = rng_.uniform();
        switch (side) {
        case 0:
            sx = -margin, sy = u * kWorldHeight, tx = kWorldWidth + margin, ty = v * kWorldHeight;
            break;
        case 1:
            sx = kWorldWidth + margin, sy = u * kWorldHeight, tx = -margin, ty = v * kWorldHeight;
            break;
        case 2:
            sx = u * kWorldWidth, sy = -margin, tx = v * kWorldWidth, ty = kWorldHeight + margin;
            break;
        default:
            sx = u * kWorldWidth, sy = kWorldHeight + margin, tx = v * kWorldWidth, ty = -margin;
            break;
        }
    }
    const double len = std::hypot(tx - sx, ty - sy);
    t.x = sx;
    t.y = sy;
    t.vx = (tx - sx) / len * speed;
    t.vy = (ty - sy) / len * speed;
    things_.push_back(t);
}

void Scene::advance() {
    previous_ = things_;
    ++frame_;
    const WorldBox world{0, 0, kWorldWidth, kWorldHeight};
    for (auto& t : things_) {
        ++t.age;
        if (t.kind == Kind::Plant) {
            continue;
        }
        if (t.pauseFrames > 0) {
            --t.pauseFrames;
            continue;
        }
        t.x += t.vx;
        t.y += t.vy;
        if (t.kind == Kind::Person && rng_.below(100) == 0) {
            t.pauseFrames = static_cast<int>(rng_.between(8, 25));
        }
    }
    std::erase_if(things_, [&](const Thing& t) {
        return t.kind != Kind::Plant && t.age > 5 && overlapArea(t.bounds(), world) == 0.0;
    });
    const auto people =
        std::count_if(things_.begin(), things_.end(), [](auto& t) { return t.kind == Kind::Person; });
    const auto smalls =
        std::count_if(things_.begin(), things_.end(), [](auto& t) { return t.kind == Kind::Small; });
    if (people < kMaxPeople && rng_.below(100) < 6) {
        spawn(Kind::Person, false);
    }
    if (smalls == 0 && rng_.below(100) == 0) {
        spawn(Kind::Small, false);
    }
}

bool Scene::shade(const Thing& t, double x, double y, int& grey) const {
    const double dx = x - t.x;
    const double dy = y - t.y;
    if (t.kind != Kind::Person) {
        const double r = std::hypot(dx, dy) / t.halfWidth;
        if (r > 1.0) {
            return false;
        }
        if (t.kind == Kind::Small) {
            grey = r > 0.8 ? t.headGrey : t.bodyGrey - static_cast<int>(20 * r);
        } else {
            const double leaf = std::abs(std::cos(5 * std::atan2(dy, dx) + r * 3));
            grey = r < 0.25 ? t.headGrey : t.bodyGrey + static_cast<int>(45 * leaf * (1.0 - r));
        }
        return true;
    }
    const double speed = std::hypot(t.vx, t.vy);
    const double c = speed > 0 ? t.vx / speed : 1.0;
    const double s = speed > 0 ? t.vy / speed : 0.0;
    const double along = dx * c + dy * s;
    const double across = -dx * s + dy * c;
    const double e =
        (along / t.halfDepth) * (along / t.halfDepth) + (across / t.halfWidth) * (across / t.halfWidth);
    if (e > 1.0) {
        return false;
    }
    const double head = t.halfDepth * 0.6;
    const double ha = along - t.halfDepth * 0.1;
    if (ha * ha + across * across < head * head) {
        grey = t.headGrey + static_cast<int>(25 * (1.0 - std::hypot(ha, across) / head));
    } else {
        grey = static_cast<int>(t.bodyGrey * (0.8 + 0.2 * (1.0 - e)));
    }
    return true;
}

std::uint8_t Scene::intensity(double x, double y, bool previous) const {
    const auto& list = previous ? previous_ : things_;
    int grey = floor_.at(x, y);
    for (const auto& t : list) {
        const double reach = std::max(t.halfWidth, t.halfDepth);
        if (std::abs(x - t.x) > reach || std::abs(y - t.y) > reach) {
            continue;
        }
        shade(t, x, y, grey);
    }
    return static_cast<std::uint8_t>(std::clamp(grey, 0, 255));
}

std::vector<Candidate> Scene::candidates() const {
    const WorldBox world{0, 0, kWorldWidth, kWorldHeight};
    std::vector<Candidate> out;
    for (const auto& t : things_) {
        const WorldBox b = t.bounds();
        const double full = (b.right - b.left) * (b.bottom - b.top);
        const double seen = overlapArea(b, world);
        if (full <= 0 || seen <= 0) {
            continue;
        }
        const int jitter = static_cast<int>(SceneRandom::mix(seed_ ^ t.id, frame_) % 31) - 15;
        out.push_back({b, static_cast<int>(t.baseValue * (seen / full)) + jitter});
    }
    return out;
}

} // namespace orlo::sim
