#include "gui/connect/DialogParts.h"

#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgComboBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QLabel>
#include <algorithm>

namespace orlo::connectdlg {
namespace {

constexpr int STR_ANGLE_OF_VIEW = 5030;
constexpr int kButtonGap = 16;
constexpr int kAngles[] = {90, 50};

} // namespace

QString StringTextWithNumber(int id, int value) {
    return StringText(id).replace(QStringLiteral("%d"), QString::number(value));
}

QLabel* CreateLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent); // owned by the dialog
    label->adjustSize();
    return label;
}

CImgButton* CreateButton(const QString& caption, const QString& objectName, QWidget* parent) {
    auto* button = new CImgButton(caption, parent); // owned by the dialog
    button->setObjectName(objectName);
    button->Setup(PIC_COMMON_BUTTON);
    return button;
}

void FillAngleOfView(COrgComboBox& list, int configured) {
    for (const int angle : kAngles) {
        list.AddItem(StringTextWithNumber(STR_ANGLE_OF_VIEW, angle), angle);
    }
    list.SelectByValue(configured);
}

int LayoutRows(const std::vector<FormRow>& rows, int left, int top, int gap) {
    int labelWidth = 0;
    for (const FormRow& row : rows) {
        labelWidth = std::max(labelWidth, row.label->width());
    }
    const int controlsLeft = left + labelWidth + kControlGap;
    int y = top;
    for (const FormRow& row : rows) {
        int height = row.label->height();
        for (const QWidget* control : row.controls) {
            height = std::max(height, control->height());
        }
        row.label->move(left, y + (height - row.label->height()) / 2);
        int x = controlsLeft;
        for (QWidget* control : row.controls) {
            control->move(x, y + (height - control->height()) / 2);
            x += control->width() + kControlGap;
        }
        y += height + gap;
    }
    return y - gap;
}

int ButtonsWidth(const std::vector<QWidget*>& buttons) {
    int width = 0;
    for (const QWidget* button : buttons) {
        width += button->width();
    }
    return width + kButtonGap * (static_cast<int>(buttons.size()) - 1);
}

int LayoutButtons(const std::vector<QWidget*>& buttons, int clientWidth, int top) {
    int x = (clientWidth - ButtonsWidth(buttons)) / 2;
    int bottom = top;
    for (QWidget* button : buttons) {
        button->move(x, top);
        x += button->width() + kButtonGap;
        bottom = std::max(bottom, top + button->height());
    }
    return bottom;
}

} // namespace orlo::connectdlg
