#include "gui/connect/IPAddressSearchDlg.h"

#include "core/config/AppConfig.h"
#include "core/device/ResultMessage.h"
#include "core/strings/CaptionIds.h"
#include "gui/connect/DialogParts.h"
#include "gui/connect/IpAddressCtrl.h"
#include "gui/shell/TaskRunner.h"
#include "gui/shell/WaitDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgEdit.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QHeaderView>
#include <QLabel>
#include <algorithm>

namespace orlo {

using namespace connectdlg;

namespace {

constexpr int kLastByte = 255;
constexpr int kListRows = 10;
constexpr int STR_ICMP_PING_GROUP = 9000;
constexpr int STR_ICMP_RAW_CAPABILITY = 9001;
constexpr int STR_ICMP_UNAVAILABLE = 9002;
constexpr int STR_TASK_NOT_STARTED = 9010;
constexpr int STR_NOT_HOST_RANGE = 9400;

// What the user can do about it, with the system's own account below for whoever sets the PC up.
QString IcmpFailureText(const ScanResult& result) {
    int id = STR_ICMP_UNAVAILABLE;
    if (result.error == IcmpSocketError::PingGroupRange) {
        id = STR_ICMP_PING_GROUP;
    } else if (result.error == IcmpSocketError::RawCapability) {
        id = STR_ICMP_RAW_CAPABILITY;
    }
    return StringText(id) + QStringLiteral("\n\n") + QString::fromStdString(result.errorText);
}

} // namespace

CIPAddressSearchDlg::CIPAddressSearchDlg(QWidget* parent, AppConfig& config, RangeScan scan)
    : CBasisDialog(parent), config_(config), scan_(std::move(scan)), waitDlg_(new CWaitDlg(this)),
      startCtrl_(new CIpAddressCtrl(this)), tilde_(CreateLabel(StringText(CAP_RANGE_SIGN), this)),
      endEdit_(new COrgEdit(this)), searchButton_(new CImgButton(this)), resultList_(new COrgListCtrl(this)),
      okButton_(CreateButton(StringText(CAP_OK), QStringLiteral("okButton"), this)),
      cancelButton_(CreateButton(StringText(CAP_CANCEL), QStringLiteral("cancelButton"), this)) {
    setWindowTitle(StringText(CAP_IP_SEARCH));
    startCtrl_->setObjectName(QStringLiteral("startCtrl"));
    endEdit_->setObjectName(QStringLiteral("endEdit"));
    searchButton_->setObjectName(QStringLiteral("searchButton"));
    resultList_->setObjectName(QStringLiteral("resultList"));

    startCtrl_->SetAddress(config_.ReadSearchStartAddress());
    endEdit_->SetInt(config_.ReadSearchEndAddress());
    searchButton_->Setup(PIC_SEARCH_BUTTON, {1, true});
    searchButton_->setAccessibleName(StringText(CAP_SEARCH));

    const ListColumn column{QString(), Qt::AlignLeft, 0};
    resultList_->AddColumns({&column, 1});
    resultList_->SetHeaderVisible(false);
    resultList_->horizontalHeader()->setStretchLastSection(true);
    okButton_->setEnabled(false);

    connect(searchButton_, &CImgButton::clicked, this, &CIPAddressSearchDlg::Search);
    connect(resultList_, &COrgListCtrl::itemSelectionChanged, this,
            [this] { okButton_->setEnabled(resultList_->SelectedRow() >= 0); });
    connect(okButton_, &CImgButton::clicked, this, &CIPAddressSearchDlg::Choose);
    connect(cancelButton_, &CImgButton::clicked, this, &CIPAddressSearchDlg::reject);
    LayoutControls();
}

void CIPAddressSearchDlg::LayoutControls() {
    startCtrl_->resize(startCtrl_->sizeHint());
    endEdit_->resize(endEdit_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12,
                     endEdit_->sizeHint().height());
    const std::vector<QWidget*> row{startCtrl_, tilde_, endEdit_, searchButton_};
    int rowHeight = 0;
    for (const QWidget* part : row) {
        rowHeight = std::max(rowHeight, part->height());
    }
    int x = kMargin;
    for (QWidget* part : row) {
        part->move(x, kMargin + (rowHeight - part->height()) / 2);
        x += part->width() + kControlGap;
    }
    const int rowWidth = searchButton_->geometry().right() + 1 - kMargin;

    const std::vector<QWidget*> buttons{okButton_, cancelButton_};
    const int clientWidth = std::max(rowWidth, ButtonsWidth(buttons)) + 2 * kMargin;
    const int listHeight =
        kListRows * resultList_->verticalHeader()->defaultSectionSize() + 2 * resultList_->frameWidth();
    resultList_->setGeometry((clientWidth - rowWidth) / 2, kMargin + rowHeight + kRowGap, rowWidth,
                             listHeight);
    const int bottom = LayoutButtons(buttons, clientWidth, resultList_->geometry().bottom() + 1 + kMargin);
    WindowSizeForClient({clientWidth, bottom + kMargin});
}

void CIPAddressSearchDlg::Search() {
    const Ipv4Address first = startCtrl_->GetAddress();
    int end = endEdit_->GetInt();
    if (end < first[3]) {
        return;
    }
    // Only the last byte varies: a larger end would wrap round to low addresses.
    if (end > kLastByte) {
        end = kLastByte;
        endEdit_->SetInt(end);
    }
    const ScanRange range = ScanRange::FromEnd(first, end);
    if (!range.IsHostRange()) {
        COrgMessageBox::Show(this, StringText(STR_NOT_HOST_RANGE), MessageButtons::Ok, MessageIcon::Warning);
        return;
    }
    config_.WriteSearchStartAddress(first);
    config_.WriteSearchEndAddress(end);

    CWaitDlg* wait = waitDlg_;
    ScanResult result;
    std::atomic<bool> cancel{false};
    // The bar has the range 0 to 100 and stands still but for the scan's progress.
    const std::optional<ResultCode> ran = RunTask(
        *waitDlg_, 0,
        [&] {
            result = scan_(
                range,
                [wait](int percent) {
                    QMetaObject::invokeMethod(
                        wait, [wait, percent] { wait->SetProgressPos(percent); }, Qt::QueuedConnection);
                },
                cancel);
            return RC_OK;
        },
        [&cancel] { cancel = true; });
    if (!ran) {
        // Nothing was scanned: the list keeps what the last search found.
        COrgMessageBox::Show(this, StringText(STR_TASK_NOT_STARTED), MessageButtons::Ok,
                             MessageIcon::Warning);
        return;
    }
    if (result.error != IcmpSocketError::None) {
        COrgMessageBox::Show(this, IcmpFailureText(result), MessageButtons::Ok, MessageIcon::Warning);
    } else if (result.cancelled) {
        COrgMessageBox::Show(this, QString::fromStdString(ResultMessage(RC_CANCELLED)), MessageButtons::Ok,
                             MessageIcon::Information);
    }
    ShowResults(std::move(result.answered));
}

std::optional<ResultCode> CIPAddressSearchDlg::RunTask(CWaitDlg& dialog, int durationMs,
                                                       std::function<ResultCode()> task,
                                                       std::function<void()> cancel) {
    return orlo::RunTask(dialog, durationMs, std::move(task), std::move(cancel));
}

void CIPAddressSearchDlg::ShowResults(std::vector<Ipv4Address> answered) {
    resultList_->setRowCount(0);
    results_ = std::move(answered);
    for (std::size_t i = 0; i < results_.size(); ++i) {
        resultList_->InsertRow({QString::fromStdString(FormatIpv4(results_[i]))}, static_cast<qint64>(i));
    }
    if (!results_.empty()) {
        resultList_->SelectRow(0);
    }
    okButton_->setEnabled(resultList_->SelectedRow() >= 0);
}

void CIPAddressSearchDlg::Choose() {
    const int row = resultList_->SelectedRow();
    if (row < 0) {
        return;
    }
    selected_ = results_[static_cast<std::size_t>(row)];
    accept();
}

} // namespace orlo
