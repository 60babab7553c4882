#pragma once

#include "gui/uikit/BasisDialog.h"

#include <QColor>
#include <vector>

class QCheckBox;
class QFrame;

namespace orlo {

class AppConfig;
class CImgButton;
class COrgPropertyGridCtrl;

// "設定": the tool's own display preferences (picture size, monitoring period, motion tint and its
// colour, detection area outlines) in a property grid. "反映" writes them to the configuration file and
// keeps the dialog open, "OK" writes them and closes; "キャンセル", Escape and the close box close
// without writing. The acquisition loop re-reads the file every cycle, so a write takes effect there.
// A check box below the grid switches the automatic reconnection of a lost link.
class CSettingHomeDlg : public CBasisDialog {
    Q_OBJECT

public:
    // The palette holds the preset colours the colour item offers beside the full colour dialog.
    CSettingHomeDlg(QWidget* parent, AppConfig& config, std::vector<QColor> palette);

    // Writes every value of the grid to the configuration file.
    void Save();
    QCheckBox* AutoReconnectBox() const { return autoReconnect_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void InitGrid(const std::vector<QColor>& palette);
    void LayoutControls();

    AppConfig& config_;
    QFrame* frame_;
    COrgPropertyGridCtrl* grid_;
    QCheckBox* autoReconnect_;
    CImgButton* applyButton_;
    CImgButton* okButton_;
    CImgButton* cancelButton_;
};

} // namespace orlo
