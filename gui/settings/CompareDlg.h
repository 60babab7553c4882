#pragma once

#include "core/settingsfile/SettingsFile.h"
#include "gui/uikit/BasisDialog.h"

#include <vector>

class QLabel;
class QTableWidget;

namespace orlo {

class CImgButton;

// "設定ファイルとの比較": the settings where the sensor differs from a settings file, one row each
// (setting, sensor value, file value), or "違いはありません。". Read-only; Escape or OK closes it.
class CCompareDlg : public CBasisDialog {
    Q_OBJECT

public:
    // `differences` as DifferentSettings(file, sensor) gives them.
    CCompareDlg(QWidget* parent, const std::vector<SettingsDifference>& differences);

    QLabel* Summary() const { return summary_; }
    QTableWidget* Table() const { return table_; }
    CImgButton* OkButton() const { return okButton_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* summary_;
    QTableWidget* table_;
    CImgButton* okButton_;
};

} // namespace orlo
