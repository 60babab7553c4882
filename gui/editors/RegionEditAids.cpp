#include "gui/editors/RegionEditAids.h"

#include "core/regions/RegionPlacement.h"
#include "gui/editors/RegionEditTexts.h"
#include "gui/editors/RegionNumbers.h"
#include "gui/uikit/StringText.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

namespace orlo {
namespace {

constexpr int BUTTON_GAP = 8;
constexpr int SMALL_STEP_PIXELS = 1;
constexpr int LARGE_STEP_PIXELS = 10;

QToolButton* CreateSmallButton(int captionId, const QString& name, QWidget& parent) {
    auto* button = new QToolButton(&parent); // owned by the editor
    button->setObjectName(name);
    button->setText(StringText(captionId));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// Direction of an arrow key, {0, 0} for any other key.
Point ArrowDirection(int key) {
    switch (key) {
    case Qt::Key_Left:
        return {-1, 0};
    case Qt::Key_Right:
        return {1, 0};
    case Qt::Key_Up:
        return {0, -1};
    case Qt::Key_Down:
        return {0, 1};
    default:
        return {0, 0};
    }
}

} // namespace

CRegionEditAids::CRegionEditAids(QWidget& editor, CRegionEditTarget& target, int hintId)
    : QObject(&editor), editor_(editor), target_(target),
      undoButton_(CreateSmallButton(CAP_UNDO, QStringLiteral("undoButton"), editor)),
      redoButton_(CreateSmallButton(CAP_REDO, QStringLiteral("redoButton"), editor)),
      numbers_(new CRegionNumbers(&editor)), hint_(new QLabel(StringText(hintId), &editor)) {
    numbers_->setObjectName(QStringLiteral("regionNumbers"));
    hint_->setObjectName(QStringLiteral("editorHint"));
    connect(undoButton_, &QToolButton::clicked, this, [this] { target_.UndoChange(); });
    connect(redoButton_, &QToolButton::clicked, this, [this] { target_.RedoChange(); });
    connect(numbers_, &CRegionNumbers::edgeTyped, this, &CRegionEditAids::OnEdgeTyped);
    QCoreApplication::instance()->installEventFilter(this);
    Refresh();
}

CRegionEditAids::~CRegionEditAids() {
    QCoreApplication::instance()->removeEventFilter(this);
}

void CRegionEditAids::PlaceButtons(const QRect& updateButton) {
    const int height = updateButton.height();
    undoButton_->resize(std::max(undoButton_->sizeHint().width(), height), height);
    redoButton_->resize(std::max(redoButton_->sizeHint().width(), height), height);
    undoButton_->move(updateButton.right() + 1 + BUTTON_GAP, updateButton.top());
    redoButton_->move(undoButton_->geometry().right() + 1 + BUTTON_GAP / 2, updateButton.top());
}

int CRegionEditAids::PlaceHint(int left, int top, int width) {
    hint_->setGeometry(left, top, width, hint_->sizeHint().height());
    return hint_->geometry().bottom();
}

void CRegionEditAids::Refresh() {
    numbers_->ShowRect(target_.SelectedRegion());
    undoButton_->setEnabled(target_.CanUndo());
    redoButton_->setEnabled(target_.CanRedo());
}

void CRegionEditAids::ShowLive(const Rect& sensorRect) {
    numbers_->ShowRect(sensorRect);
}

void CRegionEditAids::OnEdgeTyped(int edge, int value) {
    const Rect selected = target_.SelectedRegion();
    if (IsUnset(selected)) {
        return;
    }
    const CRegionEditTarget::Rules rules = target_.PlacementRules();
    target_.PlaceSelectedRegion(
        WithTypedEdge(selected, static_cast<RegionEdge>(edge), value, rules.bounds, rules.minimumSide));
    Refresh();
}

bool CRegionEditAids::eventFilter(QObject* watched, QEvent* event) {
    // A press on the picture takes the focus out of a number box, so that the keys go to the regions.
    if (event->type() == QEvent::MouseButtonPress && watched == &editor_) {
        editor_.setFocus(Qt::MouseFocusReason);
        return false;
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    const auto* widget = static_cast<QWidget*>(watched);
    // Only keys meant for the editor's own window, and not those typed into a number box.
    if (widget->window() != &editor_ ||
        qobject_cast<const QAbstractSpinBox*>(QApplication::focusWidget()) != nullptr) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    return HandleKey(key->key(), key->modifiers());
}

bool CRegionEditAids::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
    const Qt::KeyboardModifiers withoutKeypad = modifiers & ~Qt::KeypadModifier;
    if (target_.IsDragging()) {
        return false;
    }
    if (key == Qt::Key_Z && withoutKeypad == Qt::ControlModifier) {
        target_.UndoChange();
        return true;
    }
    if ((key == Qt::Key_Y && withoutKeypad == Qt::ControlModifier) ||
        (key == Qt::Key_Z && withoutKeypad == (Qt::ControlModifier | Qt::ShiftModifier))) {
        target_.RedoChange();
        return true;
    }
    if (key == Qt::Key_Tab && withoutKeypad == Qt::NoModifier) {
        target_.SelectNextRegion();
        Refresh();
        return true;
    }
    const Point direction = ArrowDirection(key);
    const Rect selected = target_.SelectedRegion();
    if (direction == Point{0, 0} || IsUnset(selected) ||
        (withoutKeypad & ~(Qt::ShiftModifier | Qt::AltModifier)) != Qt::NoModifier) {
        return false;
    }
    const CRegionEditTarget::Rules rules = target_.PlacementRules();
    const int pixels = withoutKeypad.testFlag(Qt::ShiftModifier) ? LARGE_STEP_PIXELS : SMALL_STEP_PIXELS;
    const std::int32_t step = SurfacePixelsToSensor(pixels, rules.scale);
    const Rect placed =
        withoutKeypad.testFlag(Qt::AltModifier)
            ? ResizedRegion(selected, direction.x * step, direction.y * step, rules.bounds, rules.minimumSide)
            : MovedRegion(selected, direction.x * step, direction.y * step, rules.bounds, rules.minimumSide);
    target_.PlaceSelectedRegion(placed);
    Refresh();
    return true;
}

} // namespace orlo
