#pragma once

#include <QString>
#include <vector>

class QLabel;
class QWidget;

namespace orlo {

class CImgButton;
class COrgComboBox;

// Pieces the connection dialogs share: their texts, controls and pixel layout.
namespace connectdlg {

inline constexpr int kMargin = 16;
inline constexpr int kRowGap = 8;
inline constexpr int kControlGap = 4;

// A text of the string table with its "%d" filled in.
QString StringTextWithNumber(int id, int value);

QLabel* CreateLabel(const QString& text, QWidget* parent);
// A button of the common picture (two check states, mouse-over row) with this caption.
CImgButton* CreateButton(const QString& caption, const QString& objectName, QWidget* parent);
// 90 and 50 shown with "%d°"; selects the configured angle, nothing when it is neither.
void FillAngleOfView(COrgComboBox& list, int configured);

struct FormRow {
    QLabel* label;
    std::vector<QWidget*> controls; // left to right, 4 pixels apart
};

// Labels at x = left; the controls of every row start 4 pixels right of the widest label. A row is as
// high as its tallest part and every part is centred on it; rows are gap pixels apart. Returns the
// bottom of the last row.
int LayoutRows(const std::vector<FormRow>& rows, int left, int top, int gap);

// The buttons side by side, centred on the client width, tops at top. Returns their bottom.
int LayoutButtons(const std::vector<QWidget*>& buttons, int clientWidth, int top);
// Width of the buttons laid out by LayoutButtons.
int ButtonsWidth(const std::vector<QWidget*>& buttons);

} // namespace connectdlg
} // namespace orlo
