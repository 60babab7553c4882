#include "gui/uikit/SpinButton.h"

#include "gui/uikit/RangeEdit.h"

#include <QToolButton>

namespace orlo {
namespace {

constexpr int SPIN_WIDTH = 16;

QToolButton* ArrowButton(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent); // owned by the spin
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

CSpinButton::CSpinButton(QWidget* parent)
    : QWidget(parent), up_(ArrowButton(Qt::UpArrow, this)), down_(ArrowButton(Qt::DownArrow, this)) {
    connect(up_, &QToolButton::clicked, this, [this] { StepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { StepBy(-1); });
}

void CSpinButton::SetBuddy(CRangeEdit* buddy) {
    buddy_ = buddy;
    AttachToBuddy();
}

void CSpinButton::AttachToBuddy() {
    if (buddy_ == nullptr) {
        return;
    }
    const QRect edit = buddy_->geometry();
    setGeometry(edit.right() + 1, edit.top(), SPIN_WIDTH, edit.height());
    const int upHeight = edit.height() / 2;
    up_->setGeometry(0, 0, SPIN_WIDTH, upHeight);
    down_->setGeometry(0, upHeight, SPIN_WIDTH, edit.height() - upHeight);
}

void CSpinButton::StepBy(int steps) {
    if (buddy_ == nullptr) {
        return;
    }
    const std::int64_t next = static_cast<std::int64_t>(range_.Clamp(buddy_->GetInt())) + steps;
    buddy_->SetInt(range_.Clamp(static_cast<std::int32_t>(
        std::clamp<std::int64_t>(next, range_.minimum, std::max(range_.minimum, range_.maximum)))));
}

} // namespace orlo
