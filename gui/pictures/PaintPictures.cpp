// Draws the program's pictures into the directory given as the only argument, one "<id>.png" per
// picture, or with --icons the application icon in the sizes of the desktop's icon theme. Run by
// the build; the ids and cell grids are those of uikit/Pictures.h.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

namespace {

// Row order of a picture button's cells.
enum class State { Normal, Pressed, Disabled, Focused, Hover };
constexpr State kStates[] = {State::Normal, State::Pressed, State::Disabled, State::Focused, State::Hover};

const QColor kAccent(0x2F, 0x6F, 0xB5);
const QColor kAccentDark(0x1F, 0x4E, 0x85);
const QColor kGlyph(0x3E, 0x4C, 0x5A);
const QColor kGlyphDisabled(0xB4, 0xBC, 0xC5);
const QColor kMagenta(0xFF, 0x00, 0xFF);

struct Face {
    QColor top;
    QColor bottom;
    QColor border;
    qreal borderWidth = 1.0;
};

Face FaceFor(State state, bool checked) {
    if (!checked) {
        switch (state) {
        case State::Normal:
            return {QColor(0xFF, 0xFF, 0xFF), QColor(0xE6, 0xEA, 0xEF), QColor(0xA3, 0xAE, 0xBA)};
        case State::Pressed:
            return {QColor(0xD5, 0xDC, 0xE4), QColor(0xE6, 0xEA, 0xEF), QColor(0x7D, 0x89, 0x96)};
        case State::Disabled:
            return {QColor(0xF4, 0xF5, 0xF7), QColor(0xF0, 0xF2, 0xF4), QColor(0xD3, 0xD8, 0xDE)};
        case State::Focused:
            return {QColor(0xFF, 0xFF, 0xFF), QColor(0xE6, 0xEA, 0xEF), kAccent, 2.0};
        case State::Hover:
            return {QColor(0xFF, 0xFF, 0xFF), QColor(0xDA, 0xE7, 0xF7), QColor(0x6E, 0x9B, 0xD0)};
        }
    }
    switch (state) {
    case State::Normal:
        return {QColor(0xDE, 0xEB, 0xFA), QColor(0xB9, 0xD3, 0xF0), kAccent};
    case State::Pressed:
        return {QColor(0xA9, 0xC7, 0xEA), QColor(0xC4, 0xDA, 0xF2), kAccentDark};
    case State::Disabled:
        return {QColor(0xE7, 0xEC, 0xF2), QColor(0xE1, 0xE7, 0xEE), QColor(0xC5, 0xCF, 0xDA)};
    case State::Focused:
        return {QColor(0xDE, 0xEB, 0xFA), QColor(0xB9, 0xD3, 0xF0), kAccentDark, 2.0};
    case State::Hover:
        return {QColor(0xEA, 0xF2, 0xFC), QColor(0xC6, 0xDC, 0xF4), kAccent};
    }
    return {};
}

QColor GlyphFor(State state, bool checked) {
    if (state == State::Disabled) {
        return kGlyphDisabled;
    }
    return checked ? kAccentDark : kGlyph;
}

void DrawFace(QPainter& painter, const QRectF& cell, State state, bool checked, qreal radius) {
    const Face face = FaceFor(state, checked);
    const qreal inset = face.borderWidth / 2.0 + 0.5;
    const QRectF box = cell.adjusted(inset, inset, -inset, -inset);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, face.top);
    fill.setColorAt(1.0, face.bottom);
    painter.setPen(QPen(face.border, face.borderWidth));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, radius, radius);
}

QImage NewImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A picture of columns x 5 cells; draw paints one cell.
QImage ButtonGrid(int columns, QSize cell, const std::function<void(QPainter&, QRectF, State, bool)>& draw) {
    QImage image = NewImage(cell.width() * columns, cell.height() * 5);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < 5; ++row) {
            const QRectF box(column * cell.width(), row * cell.height(), cell.width(), cell.height());
            painter.save();
            painter.setClipRect(box);
            draw(painter, box, kStates[row], column == 1);
            painter.restore();
        }
    }
    return image;
}

QPen GlyphPen(const QColor& colour, qreal width) {
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPainterPath GearPath(QPointF centre, qreal outer, qreal inner, int teeth, qreal hole) {
    QPainterPath path;
    const qreal step = 2 * std::numbers::pi / teeth;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = i * step;
        const qreal angles[] = {a - step * 0.30, a - step * 0.18, a + step * 0.18, a + step * 0.30};
        const qreal radii[] = {inner, outer, outer, inner};
        for (int k = 0; k < 4; ++k) {
            const QPointF p(centre.x() + radii[k] * std::cos(angles[k]),
                            centre.y() + radii[k] * std::sin(angles[k]));
            if (i == 0 && k == 0) {
                path.moveTo(p);
            } else {
                path.lineTo(p);
            }
        }
    }
    path.closeSubpath();
    path.addEllipse(centre, hole, hole);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

QImage CommonButton() {
    return ButtonGrid(2, {120, 40}, [](QPainter& p, QRectF box, State s, bool checked) {
        DrawFace(p, box, s, checked, 6);
    });
}

QImage Switch() {
    return ButtonGrid(2, {64, 24}, [](QPainter& p, QRectF box, State s, bool on) {
        const QRectF track = box.adjusted(4, 3, -4, -3);
        QColor trackColour = on ? kAccent : QColor(0xC3, 0xCA, 0xD2);
        if (s == State::Hover) {
            trackColour = on ? QColor(0x3D, 0x7F, 0xC8) : QColor(0xB2, 0xBB, 0xC6);
        } else if (s == State::Pressed) {
            trackColour = on ? kAccentDark : QColor(0xA3, 0xAE, 0xBA);
        } else if (s == State::Disabled) {
            trackColour = on ? QColor(0xAB, 0xC4, 0xE0) : QColor(0xE1, 0xE5, 0xEA);
        }
        if (s == State::Focused) {
            p.setPen(QPen(QColor(0x8E, 0xB4, 0xE0), 2));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(track.adjusted(-2, -2, 2, 2), track.height() / 2 + 2, track.height() / 2 + 2);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(trackColour);
        p.drawRoundedRect(track, track.height() / 2, track.height() / 2);
        const qreal knob = track.height() - 4;
        const QPointF centre(on ? track.right() - 2 - knob / 2 : track.left() + 2 + knob / 2,
                             track.center().y());
        p.setPen(QPen(QColor(0, 0, 0, s == State::Disabled ? 20 : 45), 1));
        p.setBrush(s == State::Disabled ? QColor(0xF7, 0xF8, 0xF9) : QColor(Qt::white));
        p.drawEllipse(centre, knob / 2, knob / 2);
    });
}

QImage SearchButton() {
    return ButtonGrid(1, {32, 32}, [](QPainter& p, QRectF box, State s, bool) {
        DrawFace(p, box, s, false, 5);
        const QPointF c = box.topLeft() + QPointF(14, 14);
        p.setPen(GlyphPen(GlyphFor(s, false), 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 6, 6);
        p.drawLine(c + QPointF(4.6, 4.6), c + QPointF(9.5, 9.5));
    });
}

QImage UpdateButton() {
    return ButtonGrid(1, {40, 40}, [](QPainter& p, QRectF box, State s, bool) {
        DrawFace(p, box, s, false, 6);
        const QColor colour = GlyphFor(s, false);
        const QPointF c = box.center();
        const QRectF arc(c.x() - 10, c.y() - 10, 20, 20);
        p.setPen(GlyphPen(colour, 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawArc(arc, 30 * 16, 130 * 16);
        p.drawArc(arc, 210 * 16, 130 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        const auto head = [&](qreal angleDegrees, qreal direction) {
            const qreal a = angleDegrees * std::numbers::pi / 180;
            const QPointF tip(c.x() + 10 * std::cos(a), c.y() - 10 * std::sin(a));
            const QPointF tangent(-std::sin(a) * direction, -std::cos(a) * direction);
            const QPointF normal(std::cos(a), -std::sin(a));
            QPolygonF triangle;
            triangle << tip + tangent * 5 << tip - normal * 4.5 << tip + normal * 4.5;
            p.drawPolygon(triangle);
        };
        head(30, -1);
        head(210, -1);
    });
}

QImage ArrowButton(bool up) {
    return ButtonGrid(1, {40, 40}, [up](QPainter& p, QRectF box, State s, bool) {
        DrawFace(p, box, s, false, 6);
        const QPointF c = box.center();
        const qreal d = up ? -1 : 1;
        QPolygonF triangle;
        triangle << QPointF(c.x(), c.y() + 8 * d) << QPointF(c.x() - 10, c.y() - 5 * d)
                 << QPointF(c.x() + 10, c.y() - 5 * d);
        p.setPen(GlyphPen(GlyphFor(s, false), 1.5));
        p.setBrush(GlyphFor(s, false));
        p.drawPolygon(triangle);
    });
}

QImage SettingsButton() {
    return ButtonGrid(1, {48, 48}, [](QPainter& p, QRectF box, State s, bool) {
        DrawFace(p, box, s, false, 8);
        p.setPen(Qt::NoPen);
        p.setBrush(GlyphFor(s, false));
        p.drawPath(GearPath(box.center(), 15, 11, 8, 5));
    });
}

// A block arrow pointing up inside the cell, rotated by degrees.
QImage DirectionButton(int degrees) {
    const bool upright = degrees % 180 == 0;
    const QSize cell = upright ? QSize(120, 108) : QSize(108, 120);
    return ButtonGrid(2, cell, [degrees](QPainter& p, QRectF box, State s, bool checked) {
        if (checked && s != State::Disabled) {
            const Face face = FaceFor(s, true);
            QLinearGradient fill(box.topLeft(), box.bottomLeft());
            fill.setColorAt(0, s == State::Pressed ? kAccentDark : QColor(0x3D, 0x80, 0xC9));
            fill.setColorAt(1, s == State::Pressed ? QColor(0x2A, 0x62, 0xA3) : kAccent);
            p.setPen(QPen(face.border == kAccent ? kAccentDark : face.border, face.borderWidth));
            p.setBrush(fill);
            p.drawRoundedRect(box.adjusted(1, 1, -1, -1), 8, 8);
        } else {
            DrawFace(p, box, s, checked, 8);
        }
        QColor arrow = checked ? QColor(Qt::white) : QColor(0x8A, 0x96, 0xA3);
        if (s == State::Disabled) {
            arrow = kGlyphDisabled;
        } else if (!checked && s == State::Hover) {
            arrow = kAccent;
        }
        p.save();
        p.translate(box.center());
        p.rotate(degrees);
        QPolygonF shape;
        shape << QPointF(0, -36) << QPointF(26, -8) << QPointF(10, -8) << QPointF(10, 22) << QPointF(-10, 22)
              << QPointF(-10, -8) << QPointF(-26, -8);
        p.setPen(Qt::NoPen);
        p.setBrush(arrow);
        p.drawPolygon(shape);
        p.setPen(QPen(arrow, 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 33), 5, 5);
        p.restore();
    });
}

// 32 x 16 list images on the magenta key. The delete button keeps to the image's left 13 pixels:
// the area-mask list shows it in a column 16 pixels wide.
QImage ListImage(bool remove) {
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(kMagenta);
    QPainter p(&image);
    const QRectF face = remove ? QRectF(0.5, 0.5, 12, 15) : QRectF(2.5, 0.5, 27, 15);
    p.setPen(QPen(QColor(0xA3, 0xAE, 0xBA), 1));
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, Qt::white);
    fill.setColorAt(1, QColor(0xE6, 0xEA, 0xEF));
    p.setBrush(fill);
    p.drawRect(face);
    p.setRenderHint(QPainter::Antialiasing);
    if (remove) {
        p.setPen(GlyphPen(QColor(0xD3, 0x2F, 0x2F), 2));
        p.drawLine(QPointF(3.5, 4.5), QPointF(9.5, 11.5));
        p.drawLine(QPointF(9.5, 4.5), QPointF(3.5, 11.5));
    } else {
        p.setPen(GlyphPen(kAccent, 1.6));
        for (int i = 0; i < 3; ++i) {
            const qreal y = 4.5 + i * 3.5;
            p.drawLine(QPointF(9, y), QPointF(23, y));
        }
        p.setPen(Qt::NoPen);
        p.setBrush(kAccentDark);
        p.drawEllipse(QPointF(19, 4.5), 1.8, 1.8);
        p.drawEllipse(QPointF(13, 8), 1.8, 1.8);
        p.drawEllipse(QPointF(17, 11.5), 1.8, 1.8);
    }
    return image;
}

QImage IndicatorLamp() {
    QImage image = NewImage(212, 213);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(106, 106.5);
    const qreal radius = 100;
    QRadialGradient body(centre + QPointF(-28, -32), radius * 1.35);
    body.setColorAt(0.0, QColor(0xFF, 0x8A, 0x80));
    body.setColorAt(0.45, QColor(0xE5, 0x39, 0x35));
    body.setColorAt(1.0, QColor(0x9A, 0x12, 0x12));
    p.setPen(QPen(QColor(0x6D, 0x0A, 0x0A), 3));
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);
    QLinearGradient shine(centre.x(), centre.y() - 90, centre.x(), centre.y() - 10);
    shine.setColorAt(0, QColor(255, 255, 255, 170));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawEllipse(QRectF(centre.x() - 62, centre.y() - 90, 124, 82));
    return image;
}

// 32 x 32 navigation icons, outlined in the accent colour.
QImage NavigationIcon(int id) {
    QImage image = NewImage(32, 32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(GlyphPen(kAccent, 2.4));
    p.setBrush(Qt::NoBrush);
    switch (id) {
    case 901: { // back to the monitoring page
        QPainterPath path;
        path.moveTo(7, 12);
        path.lineTo(20, 12);
        path.arcTo(QRectF(13, 12, 14, 14), 90, -180);
        path.lineTo(11, 26);
        p.drawPath(path);
        p.drawLine(QPointF(7, 12), QPointF(12, 7));
        p.drawLine(QPointF(7, 12), QPointF(12, 17));
        break;
    }
    case 902: { // camera
        p.drawRoundedRect(QRectF(4, 10, 24, 16), 3, 3);
        p.drawLine(QPointF(11, 10), QPointF(13, 6.5));
        p.drawLine(QPointF(13, 6.5), QPointF(19, 6.5));
        p.drawLine(QPointF(19, 6.5), QPointF(21, 10));
        p.drawEllipse(QPointF(16, 18), 4.5, 4.5);
        break;
    }
    case 903: { // detection: a person inside a detection frame
        const qreal l = 4, t = 4, r = 28, b = 28, k = 6;
        p.drawPolyline(QPolygonF({QPointF(l, t + k), QPointF(l, t), QPointF(l + k, t)}));
        p.drawPolyline(QPolygonF({QPointF(r - k, t), QPointF(r, t), QPointF(r, t + k)}));
        p.drawPolyline(QPolygonF({QPointF(r, b - k), QPointF(r, b), QPointF(r - k, b)}));
        p.drawPolyline(QPolygonF({QPointF(l + k, b), QPointF(l, b), QPointF(l, b - k)}));
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(16, 11.5), 3.6, 3.6);
        QPainterPath body;
        body.moveTo(9.5, 24);
        body.cubicTo(9.5, 17, 12, 16, 16, 16);
        body.cubicTo(20, 16, 22.5, 17, 22.5, 24);
        body.closeSubpath();
        p.drawPath(body);
        break;
    }
    case 904: { // system
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawPath(GearPath({16, 16}, 13, 9.5, 8, 4.2));
        break;
    }
    default:
        break;
    }
    return image;
}

// Drawn on a 256 x 256 grid and scaled, so every size of the desktop's icon theme is drawn afresh.
QImage ApplicationIcon(int size = 256) {
    QImage image = NewImage(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    QLinearGradient back(0, 0, 0, 256);
    back.setColorAt(0, QColor(0x44, 0x87, 0xD6));
    back.setColorAt(1, kAccentDark);
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 48, 48);
    // The sensor seen from below: housing, lens and its glint.
    p.setBrush(QColor(0xF4, 0xF7, 0xFB));
    p.drawEllipse(QPointF(128, 128), 70, 70);
    QRadialGradient lens(QPointF(116, 116), 46);
    lens.setColorAt(0, QColor(0x3A, 0x4E, 0x6B));
    lens.setColorAt(1, QColor(0x0E, 0x18, 0x28));
    p.setBrush(lens);
    p.drawEllipse(QPointF(128, 128), 36, 36);
    p.setBrush(QColor(255, 255, 255, 190));
    p.drawEllipse(QPointF(116, 114), 9, 9);
    // Detection frame corners.
    p.setPen(QPen(QColor(0x8D, 0xC9, 0x4D), 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const qreal l = 40, t = 40, r = 216, b = 216, k = 34;
    p.drawPolyline(QPolygonF({QPointF(l, t + k), QPointF(l, t), QPointF(l + k, t)}));
    p.drawPolyline(QPolygonF({QPointF(r - k, t), QPointF(r, t), QPointF(r, t + k)}));
    p.drawPolyline(QPolygonF({QPointF(r, b - k), QPointF(r, b), QPointF(r - k, b)}));
    p.drawPolyline(QPolygonF({QPointF(l + k, b), QPointF(l, b), QPointF(l, b - k)}));
    return image;
}

// 24 x 24 plug and socket: grey and apart when not connected, green and joined when connected.
QImage ConnectIcon(bool connected) {
    QImage image = NewImage(24, 24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor colour = connected ? QColor(0x2E, 0x9D, 0x4F) : QColor(0x7B, 0x87, 0x94);
    const qreal gap = connected ? 0 : 2.5;
    p.setPen(GlyphPen(colour, 2));
    p.drawLine(QPointF(1.5, 12), QPointF(5, 12));             // cable of the plug
    p.drawLine(QPointF(19 + gap / 2, 12), QPointF(22.5, 12)); // cable of the socket
    p.drawLine(QPointF(11 - gap / 2, 9), QPointF(14 - gap / 2, 9));
    p.drawLine(QPointF(11 - gap / 2, 15), QPointF(14 - gap / 2, 15));
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(4.5 - gap / 2, 6, 6.5, 12), 2, 2);
    p.drawRoundedRect(QRectF(14 + gap / 2, 6, 5.5, 12), 2, 2);
    return image;
}

bool SaveAs(const QString& path, const QImage& image) {
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool Save(const QDir& directory, int id, const QImage& image) {
    return SaveAs(directory.filePath(QStringLiteral("%1.png").arg(id)), image);
}

// The application icon as an icon theme lays it out: hicolor/<n>x<n>/apps/orlo-setup.png.
bool SaveThemeIcons(const QDir& directory) {
    bool ok = true;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        ok = directory.mkpath(folder) &&
             SaveAs(directory.filePath(folder + QStringLiteral("/orlo-setup.png")), ApplicationIcon(size)) &&
             ok;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--icons")) {
        return SaveThemeIcons(QDir(QString::fromLocal8Bit(argv[2]))) ? 0 : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY | --icons THEME_DIRECTORY\n", argv[0]);
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));
    if (!directory.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = Save(directory, 158, CommonButton());
    ok = Save(directory, 162, SearchButton()) && ok;
    ok = Save(directory, 167, ListImage(false)) && ok;
    ok = Save(directory, 168, UpdateButton()) && ok;
    for (int i = 0; i < 4; ++i) {
        ok = Save(directory, 169 + i, DirectionButton(90 * i)) && ok;
    }
    ok = Save(directory, 183, ListImage(true)) && ok;
    ok = Save(directory, 189, ArrowButton(true)) && ok;
    ok = Save(directory, 190, ArrowButton(false)) && ok;
    ok = Save(directory, 900, IndicatorLamp()) && ok;
    for (int id = 901; id <= 904; ++id) {
        ok = Save(directory, id, NavigationIcon(id)) && ok;
    }
    ok = Save(directory, 905, ApplicationIcon()) && ok;
    ok = Save(directory, 906, ConnectIcon(false)) && ok;
    ok = Save(directory, 907, ConnectIcon(true)) && ok;
    ok = Save(directory, 908, Switch()) && ok;
    ok = Save(directory, 909, SettingsButton()) && ok;
    return ok ? 0 : 1;
}
