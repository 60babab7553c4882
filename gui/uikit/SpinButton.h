#pragma once

#include "gui/uikit/Range.h"

#include <QPointer>
#include <QWidget>

class QToolButton;

namespace orlo {

class CRangeEdit;

// An up-down control attached to a range edit: each step adds or takes one from the edit's value,
// limited to the spin's range, and places itself directly right of the edit at its height.
class CSpinButton : public QWidget {
    Q_OBJECT

public:
    explicit CSpinButton(QWidget* parent = nullptr);

    void SetBuddy(CRangeEdit* buddy);
    void SetRange(CRange range) { range_ = range; }
    // Moves and sizes the control against its buddy.
    void AttachToBuddy();
    void StepBy(int steps);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

private:
    QPointer<CRangeEdit> buddy_;
    CRange range_{0, 100};
    QToolButton* up_;
    QToolButton* down_;
};

} // namespace orlo
