#pragma once

#include <QAbstractButton>
#include <QImage>

namespace orlo {

struct ImgButtonOptions {
    int columns = 2;   // one per check state
    bool hover = true; // the picture has a fifth row for the mouse-over look
    bool perPixelAlpha = true;
    int constantAlpha = 255;
    bool focusFrame = false; // dotted focus rectangle inset by 2 pixels
};

// A push button drawn from a picture divided into cells: the column is the check state, the row the
// drawing state. The caption is drawn over the picture. Clicking does not change the check state:
// the owner decides what a click means.
class CImgButton : public QAbstractButton {
    Q_OBJECT

public:
    enum DrawingState { Normal = 0, Pressed = 1, Disabled = 2, Focused = 3, MouseOver = 4 };

    explicit CImgButton(QWidget* parent = nullptr);
    CImgButton(const QString& caption, QWidget* parent);

    // Sizes the button to one cell. False, leaving the button without a picture, when the picture is
    // missing or smaller than its grid.
    bool Setup(int pictureId, const ImgButtonOptions& options = {});
    bool Setup(const QImage& picture, const ImgButtonOptions& options = {});

    void SetCheckState(int state);
    int GetCheckState() const { return checkState_; }
    bool IsHovered() const { return hovered_; }

    // The row drawn for these conditions: disabled first, then pressed over mouse-over over focused.
    static DrawingState StateFor(bool enabled, bool pressed, bool hovered, bool focused, bool hoverRow);
    DrawingState CurrentState() const;
    // The picture's cell for the current check and drawing state; empty without a picture.
    QRect CurrentCell() const;
    QSize CellSize() const { return cellSize_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage picture_;
    ImgButtonOptions options_;
    QSize cellSize_;
    int rows_ = 0;
    int checkState_ = 0;
    bool hovered_ = false;
};

} // namespace orlo
