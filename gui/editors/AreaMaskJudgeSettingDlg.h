#pragma once

#include "core/regions/AreaJudge.h"
#include "gui/uikit/BasisDialog.h"

#include <array>

class QButtonGroup;
class QLabel;
class QRadioButton;

namespace orlo {

class CImgButton;
class CRangeEdit;
class CSpinButton;

// The judgement of an area mask: centre point, foot point or overlap with a percentage (1..100).
// Opened with a judgement; after an OK, GetJudgement is the kind checked (unchanged when none is)
// with the percentage field's value, whatever the kind.
class CAreaMaskJudgeSettingDlg : public CBasisDialog {
    Q_OBJECT

public:
    explicit CAreaMaskJudgeSettingDlg(const Judgement& judgement, QWidget* parent = nullptr);

    Judgement GetJudgement() const { return judgement_; }

    QRadioButton* KindButton(AreaJudge judge) const;
    CRangeEdit* PercentField() const { return percentField_; }
    CSpinButton* PercentSpin() const { return percentSpin_; }
    CImgButton* OkButton() const { return okButton_; }
    CImgButton* CancelButton() const { return cancelButton_; }

protected:
    // Escape cancels here; Enter still does nothing.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LayoutControls();
    void Accept();

    Judgement judgement_;
    std::array<QRadioButton*, 3> kindButtons_;
    QButtonGroup* kinds_;
    CRangeEdit* percentField_;
    CSpinButton* percentSpin_;
    QLabel* percentLabel_;
    CImgButton* okButton_;
    CImgButton* cancelButton_;
};

} // namespace orlo
