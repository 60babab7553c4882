#pragma once

#include "core/device/ResultCode.h"
#include "core/device/SensorIdentifier.h"
#include "core/platform/IpRangeScanner.h"
#include "gui/uikit/BasisDialog.h"

#include <atomic>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;

namespace orlo {

class AppConfig;
class CImgButton;
class CIpAddressCtrl;
class COrgEdit;
class COrgListCtrl;
class CWaitDlg;
class SensorIdentification;

// "IPアドレス検索": sends one ICMP echo request to every address a.b.c.x for x from the first address's
// last byte to the end value and lists the addresses that answered; "OK" returns the selected one. The
// scan runs on a worker thread behind the wait dialog, whose bar shows the share of addresses done and
// whose "中止" ends it early; the list then shows what had answered by then. The range is remembered
// in the configuration each time a search starts.
// With "センサー情報を表示" checked (remembered in [OrloSetup]), each answering address is then asked in
// the background which sensor it is, and its model, version and information text fill its row as the
// answers come; addresses that are no sensor are greyed. Unchecked, the dialog is as it always was.
class CIPAddressSearchDlg : public CBasisDialog {
    Q_OBJECT

public:
    // Scans a range, reporting done / n x 100 as it goes, until the cancel flag is raised; called on
    // a worker thread.
    using RangeScan = std::function<ScanResult(const ScanRange&, const std::function<void(int)>&,
                                               const std::atomic<bool>&)>;

    CIPAddressSearchDlg(
        QWidget* parent, AppConfig& config,
        RangeScan scan = [](const ScanRange& range, const std::function<void(int)>& progress,
                            const std::atomic<bool>& cancel) {
            return IpRangeScanner().Scan(range, progress, &cancel);
        });

    ~CIPAddressSearchDlg() override;

    // Valid once the dialog ended with "OK".
    Ipv4Address SelectedAddress() const { return selected_; }
    // The LAN port the sensors are asked on (the configured one until set).
    void SetLanPort(std::uint16_t port) { lanPort_ = port; }

protected:
    // The task pattern behind the wait dialog, "中止" calling cancel; nullopt when the scan could not
    // be started.
    virtual std::optional<ResultCode> RunTask(CWaitDlg& dialog, int durationMs,
                                              std::function<ResultCode()> task, std::function<void()> cancel);

private:
    void LayoutControls();
    void Search();
    void ShowResults(std::vector<Ipv4Address> answered);
    void Choose();
    bool Details() const;
    void ShowDetails(bool on);
    // One column without a header, or the address with the sensor's details under headers.
    void SetColumns();
    void Identify();
    void ShowIdentity(const SensorIdentity& identity);

    AppConfig& config_;
    RangeScan scan_;
    CWaitDlg* waitDlg_;
    CIpAddressCtrl* startCtrl_;
    QLabel* tilde_;
    COrgEdit* endEdit_;
    CImgButton* searchButton_;
    COrgListCtrl* resultList_;
    QCheckBox* detailsCheck_;
    SensorIdentification* identification_;
    CImgButton* okButton_;
    CImgButton* cancelButton_;

    std::vector<Ipv4Address> results_;
    Ipv4Address selected_{};
    std::uint16_t lanPort_;
};

} // namespace orlo
