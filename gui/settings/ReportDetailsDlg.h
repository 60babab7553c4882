#pragma once

#include "core/report/ReportDetails.h"
#include "gui/uikit/BasisDialog.h"

class QLineEdit;
class QPlainTextEdit;

namespace orlo {

class CImgButton;

// "報告書の記載事項": site, customer, installer and a note for the top of a commissioning report,
// asked before the report's file. OK takes them; Cancel or Escape drops the report.
class CReportDetailsDlg : public CBasisDialog {
    Q_OBJECT

public:
    CReportDetailsDlg(QWidget* parent, const ReportDetails& initial);

    // The texts as entered, blanks at either end removed.
    ReportDetails Details() const;

    QLineEdit* SiteEdit() const { return site_; }
    QLineEdit* CustomerEdit() const { return customer_; }
    QLineEdit* InstallerEdit() const { return installer_; }
    QPlainTextEdit* NoteEdit() const { return note_; }
    CImgButton* OkButton() const { return okButton_; }
    CImgButton* CancelButton() const { return cancelButton_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* site_;
    QLineEdit* customer_;
    QLineEdit* installer_;
    QPlainTextEdit* note_;
    CImgButton* okButton_;
    CImgButton* cancelButton_;
};

} // namespace orlo
