#pragma once

#include <QColor>
#include <QPushButton>

namespace orlo {

// A push button with an icon whose standard face can be switched off (a borderless button that
// shows only a light hover background) and that can show a pressed look: a colour laid over the face
// with a constant alpha, used to mark the selected entry of a column of buttons.
class COrgMFCButton : public QPushButton {
    Q_OBJECT

public:
    explicit COrgMFCButton(const QString& text, QWidget* parent = nullptr);

    void SetStandardFace(bool drawn);
    bool DrawsStandardFace() const { return standardFace_; }
    void SetPressedLook(bool pressed);
    bool HasPressedLook() const { return pressedLook_; }
    // alpha 0..255
    void SetOverlay(const QColor& colour, int alpha);
    // Without the standard face: where the caption is drawn.
    QRect CaptionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect ContentRect() const;
    QRect IconRect() const;

    bool standardFace_ = true;
    bool pressedLook_ = false;
    QColor overlay_{180, 200, 230};
    int overlayAlpha_ = 100;
};

} // namespace orlo
