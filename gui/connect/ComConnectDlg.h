#pragma once

#include "core/transport/SerialConnection.h"
#include "gui/uikit/BasisDialog.h"

#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class QLabel;

namespace orlo {

class AppConfig;
class CImgButton;
class COrgComboBox;

// "COM接続": the serial port, baud rate and angle of view for a USB connection. Only collects the
// values; the caller connects with them and stores them once the connection works.
//
// The port list shows the ports that open now, each with its USB description, and on top the port
// last connected to when the listing misses it (a path typed in, a link that does not open now), so
// it is never lost. Listing opens every
// candidate port, which a hung USB device can stall for seconds, so it runs on a thread of its own and
// fills the list when done (normally a few milliseconds after the dialog appears); the destructor
// waits for it. The list is editable: any device path, such as a simulator's pseudo-terminal, can be
// typed in.
class CComConnectDlg : public CBasisDialog {
    Q_OBJECT

public:
    using PortLister = std::function<std::vector<SerialPortInfo>()>;

    // Baud rate of a result taken while no rate was selected.
    static constexpr std::uint32_t kNoBaudRate = 0xFFFFFFFF;

    CComConnectDlg(
        QWidget* parent, const AppConfig& config,
        PortLister lister = [] { return CSerialConnection::EnumeratePorts(); });
    ~CComConnectDlg() override;

    // Valid once the dialog ended with "接続". The port is the path as shown in the list's edit field
    // (empty for none); the baud rate is kNoBaudRate and the angle -1 when their list had no selection.
    std::string Port() const { return port_; }
    std::uint32_t BaudRate() const { return baudRate_; }
    int AngleOfView() const { return angleOfView_; }

signals:
    // The port list has been filled.
    void PortsListed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LayoutControls();
    void StartListing(PortLister lister);
    void ShowPorts(const std::vector<SerialPortInfo>& ports);
    void Connect();

    std::string configuredPort_;
    // The path stored by the last connection; empty when only a port number is configured.
    std::string storedPort_;
    std::vector<SerialPortInfo> ports_;
    bool portTyped_ = false;
    std::thread lister_;

    QLabel* portLabel_;
    QLabel* baudRateLabel_;
    QLabel* angleLabel_;
    COrgComboBox* portList_;
    COrgComboBox* baudRateList_;
    COrgComboBox* angleList_;
    CImgButton* connectButton_;
    CImgButton* cancelButton_;

    std::string port_;
    std::uint32_t baudRate_ = kNoBaudRate;
    int angleOfView_ = -1;
};

} // namespace orlo
