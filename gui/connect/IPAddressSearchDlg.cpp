#include "gui/connect/IPAddressSearchDlg.h"

#include "core/config/AppConfig.h"
#include "core/device/ResultMessage.h"
#include "core/platform/PrintableText.h"
#include "core/strings/CaptionIds.h"
#include "gui/connect/DialogParts.h"
#include "gui/connect/IpAddressCtrl.h"
#include "gui/connect/SensorIdentification.h"
#include "gui/shell/TaskRunner.h"
#include "gui/shell/WaitDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgEdit.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/Pictures.h"
#include "gui/uikit/StringText.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <algorithm>
#include <array>

namespace orlo {

using namespace connectdlg;

namespace {

constexpr int kLastByte = 255;
constexpr int kListRows = 10;
constexpr int STR_ICMP_PING_GROUP = 9000;
constexpr int STR_ICMP_RAW_CAPABILITY = 9001;
constexpr int STR_ICMP_UNAVAILABLE = 9002;
constexpr int STR_TASK_NOT_STARTED = 9010;
constexpr int STR_SHOW_SENSOR_DETAILS = 9060;
constexpr int STR_COLUMN_ADDRESS = 9061;
constexpr int STR_COLUMN_MODEL = 9062;
constexpr int STR_COLUMN_VERSION = 9063;
constexpr int STR_COLUMN_TEXT = 9064;
constexpr int STR_CHECKING = 9065;
constexpr int STR_NOT_A_SENSOR = 9066;
constexpr int STR_NO_ANSWER = 9067;
constexpr int STR_IN_USE = 9068;
constexpr int STR_NOT_HOST_RANGE = 9400;
constexpr int kDefaultLanPort = 9600;
constexpr int kLastPort = 65535;

// Columns of the list with the sensors' details: address, model, version, information text.
constexpr std::array<int, 4> kDetailWidths = {110, 90, 80, 170};
constexpr int kModelColumn = 1;
constexpr int kVersionColumn = 2;
constexpr int kTextColumn = 3;

// What an address that is no sensor is shown as.
QString NoSensorText(IdentifyOutcome outcome) {
    switch (outcome) {
    case IdentifyOutcome::Silent:
    case IdentifyOutcome::NoAnswer:
        return StringText(STR_NO_ANSWER);
    case IdentifyOutcome::Closed:
        // A sensor serves one client at a time and turns others away at once.
        return StringText(STR_IN_USE);
    default:
        return StringText(STR_NOT_A_SENSOR);
    }
}

// A sensor's text as the list may show it: control characters and bytes that are not characters
// escaped, so nothing of it can upset the row.
QString DeviceText(const std::string& text) {
    return QString::fromStdString(PrintableText(text));
}

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
      detailsCheck_(new QCheckBox(StringText(STR_SHOW_SENSOR_DETAILS), this)),
      identification_(new SensorIdentification(this)),
      okButton_(CreateButton(StringText(CAP_OK), QStringLiteral("okButton"), this)),
      cancelButton_(CreateButton(StringText(CAP_CANCEL), QStringLiteral("cancelButton"), this)) {
    setWindowTitle(StringText(CAP_IP_SEARCH));
    startCtrl_->setObjectName(QStringLiteral("startCtrl"));
    endEdit_->setObjectName(QStringLiteral("endEdit"));
    searchButton_->setObjectName(QStringLiteral("searchButton"));
    resultList_->setObjectName(QStringLiteral("resultList"));
    detailsCheck_->setObjectName(QStringLiteral("detailsCheck"));
    const int configuredPort = config_.ReadPortNo();
    lanPort_ = static_cast<std::uint16_t>(
        configuredPort >= 1 && configuredPort <= kLastPort ? configuredPort : kDefaultLanPort);

    startCtrl_->SetAddress(config_.ReadSearchStartAddress());
    endEdit_->SetInt(config_.ReadSearchEndAddress());
    searchButton_->Setup(PIC_SEARCH_BUTTON, {1, true});
    searchButton_->setAccessibleName(StringText(CAP_SEARCH));

    detailsCheck_->setChecked(config_.ReadShowSensorDetails());
    SetColumns();
    resultList_->horizontalHeader()->setStretchLastSection(true);
    okButton_->setEnabled(false);

    connect(searchButton_, &CImgButton::clicked, this, &CIPAddressSearchDlg::Search);
    connect(resultList_, &COrgListCtrl::itemSelectionChanged, this,
            [this] { okButton_->setEnabled(resultList_->SelectedRow() >= 0); });
    connect(okButton_, &CImgButton::clicked, this, &CIPAddressSearchDlg::Choose);
    connect(cancelButton_, &CImgButton::clicked, this, &CIPAddressSearchDlg::reject);
    connect(detailsCheck_, &QCheckBox::toggled, this, &CIPAddressSearchDlg::ShowDetails);
    connect(identification_, &SensorIdentification::Identified, this, &CIPAddressSearchDlg::ShowIdentity);
    LayoutControls();
}

CIPAddressSearchDlg::~CIPAddressSearchDlg() {
    identification_->Stop();
}

void CIPAddressSearchDlg::LayoutControls() {
    startCtrl_->resize(startCtrl_->sizeHint());
    endEdit_->resize(endEdit_->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12,
                     endEdit_->sizeHint().height());
    detailsCheck_->resize(detailsCheck_->sizeHint());
    // The details switch closes the first row, beside the search it changes.
    const std::vector<QWidget*> row{startCtrl_, tilde_, endEdit_, searchButton_, detailsCheck_};
    int rowHeight = 0;
    for (const QWidget* part : row) {
        rowHeight = std::max(rowHeight, part->height());
    }
    int x = kMargin;
    for (QWidget* part : row) {
        part->move(x, kMargin + (rowHeight - part->height()) / 2);
        x += part->width() + kControlGap;
    }
    const int rowWidth = detailsCheck_->geometry().right() + 1 - kMargin;
    // The details need a wider list, with room for the scroll bar of a long list; the dialog grows
    // with it.
    int detailsWidth = 2 * resultList_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (const int width : kDetailWidths) {
        detailsWidth += width;
    }
    const int listWidth = Details() ? std::max(rowWidth, detailsWidth) : rowWidth;

    const std::vector<QWidget*> buttons{okButton_, cancelButton_};
    const int clientWidth = std::max(listWidth, ButtonsWidth(buttons)) + 2 * kMargin;
    const int headerHeight = Details() ? resultList_->horizontalHeader()->sizeHint().height() : 0;
    const int listHeight = kListRows * resultList_->verticalHeader()->defaultSectionSize() + headerHeight +
                           2 * resultList_->frameWidth();
    resultList_->setGeometry((clientWidth - listWidth) / 2, kMargin + rowHeight + kRowGap, listWidth,
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
    identification_->Stop();

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
        QStringList texts{QString::fromStdString(FormatIpv4(results_[i]))};
        if (Details()) {
            texts << StringText(STR_CHECKING);
        }
        resultList_->InsertRow(texts, static_cast<qint64>(i));
    }
    if (!results_.empty()) {
        resultList_->SelectRow(0);
    }
    okButton_->setEnabled(resultList_->SelectedRow() >= 0);
    if (Details()) {
        Identify();
    }
}

bool CIPAddressSearchDlg::Details() const {
    return detailsCheck_->isChecked();
}

void CIPAddressSearchDlg::ShowDetails(bool on) {
    config_.WriteShowSensorDetails(on);
    identification_->Stop();
    // The same addresses again, in the other columns; the row the user chose stays chosen.
    const int selected = resultList_->SelectedRow();
    SetColumns();
    ShowResults(results_);
    resultList_->SelectRow(selected);
    LayoutControls();
}

void CIPAddressSearchDlg::SetColumns() {
    resultList_->setRowCount(0);
    resultList_->setColumnCount(0);
    if (!Details()) {
        const ListColumn column{QString(), Qt::AlignLeft, 0};
        resultList_->AddColumns({&column, 1});
        resultList_->SetHeaderVisible(false);
        return;
    }
    const std::array<ListColumn, 4> columns{
        {{StringText(STR_COLUMN_ADDRESS), Qt::AlignLeft, kDetailWidths[0]},
         {StringText(STR_COLUMN_MODEL), Qt::AlignLeft, kDetailWidths[1]},
         {StringText(STR_COLUMN_VERSION), Qt::AlignLeft, kDetailWidths[2]},
         {StringText(STR_COLUMN_TEXT), Qt::AlignLeft, kDetailWidths[3]}}};
    resultList_->AddColumns(columns);
    resultList_->SetHeaderVisible(true);
}

void CIPAddressSearchDlg::Identify() {
    std::vector<IdentifyTarget> targets;
    for (const Ipv4Address& address : results_) {
        targets.push_back({address, lanPort_});
    }
    if (!targets.empty()) {
        identification_->Start(std::move(targets));
    }
}

void CIPAddressSearchDlg::ShowIdentity(const SensorIdentity& identity) {
    const auto found = std::find(results_.begin(), results_.end(), identity.target.address);
    const int row = found == results_.end() ? -1 : resultList_->FindByValue(found - results_.begin());
    if (row < 0 || !Details()) {
        return;
    }
    const bool sensor = identity.outcome == IdentifyOutcome::Sensor;
    resultList_->item(row, kModelColumn)->setText(sensor ? DeviceText(identity.info.name) : QString());
    resultList_->item(row, kVersionColumn)
        ->setText(sensor ? QString::fromStdString(FormatVersion(identity.info)) : QString());
    // What an address that is no sensor is goes where its text would be, the widest column.
    resultList_->item(row, kTextColumn)
        ->setText(sensor ? DeviceText(identity.text) : NoSensorText(identity.outcome));
    if (!sensor) {
        const QBrush grey = palette().brush(QPalette::Disabled, QPalette::Text);
        for (int column = 0; column < resultList_->columnCount(); ++column) {
            resultList_->item(row, column)->setForeground(grey);
        }
    }
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
