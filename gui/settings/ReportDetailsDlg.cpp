#include "gui/settings/ReportDetailsDlg.h"

#include "core/strings/CaptionIds.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace orlo {
namespace {

constexpr int STR_TITLE = 9096;
constexpr int STR_SITE = 9097;
constexpr int STR_CUSTOMER = 9098;
constexpr int STR_INSTALLER = 9099;
constexpr int STR_NOTE = 9100;

constexpr int MARGIN = 16;
constexpr int LABEL_WIDTH = 96;
constexpr int FIELD_WIDTH = 320;
constexpr int ROW_GAP = 8;
constexpr int NOTE_HEIGHT = 96;
constexpr int BUTTON_GAP = 8;
// A line of text in a report cell; far more is a slip (a paste of something else).
constexpr int MAX_LINE_CHARS = 200;

std::string Trimmed(const QString& text) {
    return text.trimmed().toStdString();
}

} // namespace

CReportDetailsDlg::CReportDetailsDlg(QWidget* parent, const ReportDetails& initial)
    : CBasisDialog(parent), site_(new QLineEdit(QString::fromStdString(initial.site), this)),
      customer_(new QLineEdit(QString::fromStdString(initial.customer), this)),
      installer_(new QLineEdit(QString::fromStdString(initial.installer), this)),
      note_(new QPlainTextEdit(QString::fromStdString(initial.note), this)),
      okButton_(new CImgButton(StringText(CAP_OK), this)),
      cancelButton_(new CImgButton(StringText(CAP_CANCEL), this)) {
    setWindowTitle(StringText(STR_TITLE));
    okButton_->Setup(PIC_COMMON_BUTTON);
    cancelButton_->Setup(PIC_COMMON_BUTTON);
    connect(okButton_, &CImgButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &CImgButton::clicked, this, &QDialog::reject);
    note_->setTabChangesFocus(true);

    int top = MARGIN;
    const auto row = [&](int labelId, QWidget* field, int height) {
        auto* label = new QLabel(StringText(labelId), this);
        label->setBuddy(field);
        label->setGeometry(MARGIN, top, LABEL_WIDTH, std::min(height, field->sizeHint().height()));
        field->setGeometry(MARGIN + LABEL_WIDTH, top, FIELD_WIDTH, height);
        top += height + ROW_GAP;
    };
    for (QLineEdit* line : {site_, customer_, installer_}) {
        line->setMaxLength(MAX_LINE_CHARS);
    }
    row(STR_SITE, site_, site_->sizeHint().height());
    row(STR_CUSTOMER, customer_, customer_->sizeHint().height());
    row(STR_INSTALLER, installer_, installer_->sizeHint().height());
    row(STR_NOTE, note_, NOTE_HEIGHT);
    const int width = MARGIN + LABEL_WIDTH + FIELD_WIDTH + MARGIN;
    top += ROW_GAP;
    okButton_->move(width / 2 - BUTTON_GAP / 2 - okButton_->width(), top);
    cancelButton_->move(width / 2 + BUTTON_GAP / 2, top);
    WindowSizeForClient({width, top + okButton_->height() + MARGIN});
    site_->setFocus();
}

ReportDetails CReportDetailsDlg::Details() const {
    return {Trimmed(site_->text()), Trimmed(customer_->text()), Trimmed(installer_->text()),
            Trimmed(note_->toPlainText())};
}

void CReportDetailsDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    CBasisDialog::keyPressEvent(event);
}

} // namespace orlo
