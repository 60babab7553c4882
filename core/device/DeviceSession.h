#pragma once

#include "core/device/CommandLog.h"
#include "core/device/ResultCode.h"
#include "core/regions/Geometry.h"
#include "core/transport/Connection.h"
#include "core/transport/SerialConnection.h"
#include "core/transport/SocketConnection.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlo {

enum class ConnectionType : std::int32_t { None = 0, Com = 1, Lan = 2 };

// What tells one sensor from another for the user: its model and its information text (CP932 bytes).
struct SensorMark {
    std::string model;
    std::string deviceInfo;
    bool operator==(const SensorMark&) const = default;
};

// Called by the reconnect loop after each pass with the milliseconds since it began.
using ReconnectProgressHook = std::function<void(int elapsedMs)>;

// The one owner of the link to the sensor: both transports, the request and response buffers, the
// connection state and the parameters of the last successful connection. One exchange at a time;
// the callers guarantee it, so the session has no lock for it. Only Abort may come from another thread.
class DeviceSession {
public:
    static constexpr std::uint32_t RequestBufferSize = 1024;
    static constexpr std::uint32_t ResponseBufferSize = 1'024'000;
    static constexpr std::uint32_t ImageBufferSize = 76'800;
    static constexpr std::uint32_t BlockBufferSize = 16'384;
    static constexpr std::uint32_t ReceivePieceSize = 1024;
    static constexpr int CommandTimeoutMs = 1000;

    // Relative files (the command log and its switch) are looked up in workingDirectory.
    explicit DeviceSession(const std::filesystem::path& workingDirectory = ".",
                           CommandLog::Switch logSwitch = CommandLog::Switch::OutputLogFile,
                           std::string_view logFileName = CommandLog::DefaultFileName);
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;
    ~DeviceSession();

    // Sends the request buffer's first RequestLength() bytes.
    ResultCode SendFrame();
    // Reads `length` bytes in 1,024-byte pieces, each with its own time-out; `length` becomes the
    // number of bytes received, also on failure. A link that ended meanwhile is -104 at once.
    ResultCode ReceiveBytes(int timeoutMs, std::uint32_t& length, std::uint8_t* destination);

    // Giving up. Abort may be called from any thread at any time, also before a connect or between
    // exchanges: the exchange or connect in flight (of the session's own serial and TCP links) ends
    // at once with RC_CANCELLED, and from then on every exchange and connect returns RC_CANCELLED at
    // its start, until ClearAbort. The thread that runs the operation closes the link (its reader
    // thread is joined), so the session is disconnected afterwards (see UncutCommands for the one
    // exception). An abort that comes just before a wait begins is never lost: the wait ends at once.
    void Abort();
    // The thread that starts the operations, while none runs: withdraws an earlier Abort, so that the
    // session may connect again.
    void ClearAbort();
    bool AbortRequested() const { return abortRequested_; }

    // For a sequence of writes, which must never be cut in the middle of a command: while one lives,
    // an Abort lets the exchange in flight finish and makes the next one return RC_CANCELLED at its
    // start without sending anything. The link stays open and in step, so that after ClearAbort the
    // caller can read back what the sensor now holds. Nests.
    class UncutCommands {
    public:
        explicit UncutCommands(DeviceSession& session);
        UncutCommands(const UncutCommands&) = delete;
        UncutCommands& operator=(const UncutCommands&) = delete;
        ~UncutCommands();

    private:
        DeviceSession& session_;
    };
    // The common exchange: sends one request and reads its response payload into the response
    // buffer. 0 for status OK, 80 for status 0x50, otherwise the failure. `usefulLength` is the
    // longest payload the command can use: whatever length the sensor announces, the exchange ends
    // within ExchangeDeadline of it at BaudRate() (a time-out when the bytes have not all come by then).
    ResultCode Transact(std::uint8_t code, std::span<const std::uint8_t> payload, int timeoutMs,
                        std::uint32_t usefulLength = 0);
    // A reading command: 80 for status 0x50 and -102 for a payload shorter than `minimum`, leaving
    // `payload` untouched; on 0 `payload` is the response payload. It uses at most the larger of
    // `minimum` and `usefulLength` bytes.
    ResultCode TransactRead(std::uint8_t code, std::span<const std::uint8_t> request, std::uint32_t minimum,
                            int timeoutMs, std::span<const std::uint8_t>& payload,
                            std::uint32_t usefulLength = 0);
    // The whole exchange may last two of its time-outs (the wait for the header and for the last
    // piece) and the time the useful payload takes on a serial line of `baudRate` (10 bits a byte):
    // a slow line still carries a whole picture, a peer that trickles it is cut off after that.
    static std::chrono::milliseconds ExchangeDeadline(int timeoutMs, std::uint32_t usefulLength,
                                                      std::uint32_t baudRate);
    // The payload of the last response (as far as it fits the response buffer).
    std::span<const std::uint8_t> ResponsePayload() const;
    std::uint32_t ResponseLength() const { return responseLength_; }
    std::uint32_t RequestLength() const { return requestLength_; }

    // Makes `connection` the link in use and restarts the command log. Used by the connect
    // procedures after a successful open, and by tests with a connection of their own.
    void Attach(CConnection& connection, ConnectionType type);
    void Disconnect();

    ConnectionType GetConnectionType() const { return connectionType_; }
    bool IsConnected() const { return connectionType_ != ConnectionType::None; }
    ConnectionType RememberedConnectionType() const { return rememberedConnectionType_; }
    void RememberConnectionType(ConnectionType type) { rememberedConnectionType_ = type; }

    CSerialConnection& SerialConnection() { return serialConnection_; }
    CSocketConnection& SocketConnection() { return socketConnection_; }
    CommandLog& Log() { return commandLog_; }
    const std::filesystem::path& WorkingDirectory() const { return workingDirectory_; }

    std::uint8_t* ImageBuffer() { return imageBuffer_.data(); }
    std::vector<std::uint8_t*> BlockBuffers();

    int Portrait() const { return portrait_; }
    void SetPortrait(int portrait) { portrait_ = portrait; }
    const std::string& ComPort() const { return comPort_; }
    std::uint32_t BaudRate() const { return baudRate_; }
    void SetComParameters(const std::string& port, std::uint32_t baudRate) {
        comPort_ = port;
        baudRate_ = baudRate;
    }
    const std::string& IpAddress() const { return ipAddress_; }
    std::uint16_t LanPort() const { return lanPort_; }
    void SetLanParameters(const std::string& address, std::uint16_t port) {
        ipAddress_ = address;
        lanPort_ = port;
    }
    int AngleOfView() const { return angleOfView_; }
    void SetAngleOfView(int angle) { angleOfView_ = angle; }

    // Which sensor the link reaches, as the connect read it; none while disconnected or when the
    // connect did not read it.
    const std::optional<SensorMark>& ConnectedSensor() const { return connectedSensor_; }
    void SetConnectedSensor(SensorMark mark) { connectedSensor_ = std::move(mark); }

    // Entry 0: human detection area, entry 1: motion detection area, as last read or written.
    std::array<Rect, 2>& DetectionAreaCache() { return detectionAreaCache_; }

    const ReconnectProgressHook& ReconnectProgress() const { return reconnectProgressHook_; }
    void SetReconnectProgressHook(ReconnectProgressHook hook) { reconnectProgressHook_ = std::move(hook); }
    std::chrono::milliseconds ReconnectLimit() const { return reconnectLimit_; }
    void SetReconnectLimit(std::chrono::milliseconds limit) { reconnectLimit_ = limit; }

private:
    using Clock = std::chrono::steady_clock;

    ResultCode ReceiveBytes(int timeoutMs, std::uint32_t& length, std::uint8_t* destination,
                            std::optional<Clock::time_point> deadline);
    ResultCode SendRequest();
    ResultCode Exchange(std::uint8_t code, std::span<const std::uint8_t> payload, int timeoutMs,
                        std::uint32_t usefulLength);
    // A cancelled operation leaves the session closed, unless it stopped between uncut commands.
    ResultCode CloseIfCancelled(ResultCode result);
    bool InUncutCommands();
    // With abortMutex_ held.
    void AbortLinks();
    // Reads and drops `length` bytes without storing them, for a payload the buffer cannot hold.
    void DiscardBytes(int timeoutMs, std::uint64_t length, std::optional<Clock::time_point> deadline);

    const std::filesystem::path workingDirectory_;
    CConnection* currentConnection_ = nullptr;
    std::uint32_t requestLength_ = 0;
    std::vector<std::uint8_t> requestBuffer_;
    std::uint32_t responseLength_ = 0;
    std::vector<std::uint8_t> responseBuffer_;
    CommandLog commandLog_;
    CSerialConnection serialConnection_;
    CSocketConnection socketConnection_;
    ConnectionType connectionType_ = ConnectionType::None;
    ConnectionType rememberedConnectionType_ = ConnectionType::None;
    std::vector<std::uint8_t> imageBuffer_;
    std::list<std::vector<std::uint8_t>> blockBuffers_;
    int portrait_ = 0;
    std::string comPort_;
    std::uint32_t baudRate_ = 115200;
    std::string ipAddress_;
    std::uint16_t lanPort_ = 65535;
    int angleOfView_ = 90;
    std::array<Rect, 2> detectionAreaCache_{UNSET_RECT, UNSET_RECT};
    std::optional<SensorMark> connectedSensor_;
    ReconnectProgressHook reconnectProgressHook_;
    std::chrono::milliseconds reconnectLimit_{150'000};

    std::atomic<bool> abortRequested_{false};
    std::mutex abortMutex_;
    int uncutDepth_ = 0; // under abortMutex_
};

} // namespace orlo
