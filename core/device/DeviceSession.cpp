#include "core/device/DeviceSession.h"

#include <algorithm>
#include <array>
#include <chrono>

namespace orlo {

namespace {

// One wait's time-out: the piece's own, or what is left of the exchange when that is less.
int WaitWithin(int timeoutMs, std::optional<std::chrono::steady_clock::time_point> deadline) {
    if (!deadline || timeoutMs < 0) {
        return timeoutMs;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now()).count();
    return static_cast<int>(std::clamp<std::int64_t>(left, 0, timeoutMs));
}

} // namespace

DeviceSession::DeviceSession(const std::filesystem::path& workingDirectory, CommandLog::Switch logSwitch,
                             std::string_view logFileName)
    : workingDirectory_(workingDirectory), requestBuffer_(RequestBufferSize),
      responseBuffer_(ResponseBufferSize),
      commandLog_(workingDirectory, logSwitch, CommandLog::DefaultQueueLimitBytes, logFileName),
      imageBuffer_(ImageBufferSize) {
    blockBuffers_.emplace_back(BlockBufferSize, std::uint8_t{0});
}

DeviceSession::~DeviceSession() {
    if (currentConnection_ != nullptr) {
        currentConnection_->Close();
    }
    commandLog_.StopLog();
}

ResultCode DeviceSession::SendFrame() {
    return abortRequested_ ? CloseIfCancelled(RC_CANCELLED) : SendRequest();
}

ResultCode DeviceSession::SendRequest() {
    if (currentConnection_ == nullptr) {
        return RC_NO_LINK;
    }
    const LocalTimestamp time = LocalTimestamp::Now();
    if (currentConnection_->Send(requestLength_, requestBuffer_.data()) != requestLength_) {
        return RC_SHORT_TRANSFER;
    }
    commandLog_.LogTransfer(time, requestBuffer_.data(), requestLength_, CommandLog::Direction::Sent);
    return RC_OK;
}

ResultCode DeviceSession::ReceiveBytes(int timeoutMs, std::uint32_t& length, std::uint8_t* destination) {
    return CloseIfCancelled(ReceiveBytes(timeoutMs, length, destination, std::nullopt));
}

ResultCode DeviceSession::ReceiveBytes(int timeoutMs, std::uint32_t& length, std::uint8_t* destination,
                                       std::optional<Clock::time_point> deadline) {
    if (currentConnection_ == nullptr || destination == nullptr) {
        return RC_NO_LINK;
    }
    const std::uint32_t requested = length;
    std::uint32_t received = 0;
    ResultCode result = RC_OK;
    while (received < requested) {
        if (currentConnection_->Aborted()) {
            result = RC_CANCELLED;
            break;
        }
        const std::uint32_t piece = std::min(requested - received, ReceivePieceSize);
        result = currentConnection_->WaitForBytes(WaitWithin(timeoutMs, deadline), piece);
        if (result != RC_OK) {
            if (currentConnection_->Aborted()) {
                result = RC_CANCELLED;
            } else if (currentConnection_->PeerClosed()) {
                // Bytes that can no longer come are a lost link, not a late answer.
                result = RC_SEND_FAILED;
            }
            break;
        }
        const LocalTimestamp time = LocalTimestamp::Now();
        const std::uint32_t got = currentConnection_->Receive(piece, destination + received);
        if (got < piece) {
            received += got;
            result = RC_SHORT_TRANSFER;
            break;
        }
        commandLog_.LogTransfer(time, destination + received, piece, CommandLog::Direction::Received);
        received += piece;
    }
    length = received;
    return result;
}

std::chrono::milliseconds DeviceSession::ExchangeDeadline(int timeoutMs, std::uint32_t usefulLength,
                                                          std::uint32_t baudRate) {
    // No speed below the sensor's slowest, so an unset one never stretches the deadline.
    const std::int64_t bitsPerSecond = std::max<std::uint32_t>(baudRate, 9600);
    const std::int64_t wireMs = (std::int64_t{usefulLength} * 10 * 1000 + bitsPerSecond - 1) / bitsPerSecond;
    return std::chrono::milliseconds(std::int64_t{timeoutMs} * 2 + wireMs);
}

ResultCode DeviceSession::Transact(std::uint8_t code, std::span<const std::uint8_t> payload, int timeoutMs,
                                   std::uint32_t usefulLength) {
    return CloseIfCancelled(Exchange(code, payload, timeoutMs, usefulLength));
}

ResultCode DeviceSession::Exchange(std::uint8_t code, std::span<const std::uint8_t> payload, int timeoutMs,
                                   std::uint32_t usefulLength) {
    if (abortRequested_) {
        return RC_CANCELLED;
    }
    std::optional<Clock::time_point> deadline;
    if (timeoutMs >= 0) {
        deadline = Clock::now() + ExchangeDeadline(timeoutMs, usefulLength, baudRate_);
    }
    if (payload.size() + 4 > requestBuffer_.size()) {
        return RC_SEND_FAILED;
    }
    requestBuffer_[0] = 0xFE;
    requestBuffer_[1] = code;
    requestBuffer_[2] = static_cast<std::uint8_t>(payload.size() & 0xFF);
    requestBuffer_[3] = static_cast<std::uint8_t>(payload.size() >> 8);
    std::copy(payload.begin(), payload.end(), requestBuffer_.begin() + 4);
    requestLength_ = static_cast<std::uint32_t>(4 + payload.size());
    if (SendRequest() != RC_OK) {
        return RC_SEND_FAILED;
    }

    std::array<std::uint8_t, 6> header{};
    std::uint32_t headerLength = header.size();
    if (const ResultCode result = ReceiveBytes(timeoutMs, headerLength, header.data(), deadline);
        result != RC_OK) {
        return result;
    }
    if (header[0] != 0xFE) {
        return RC_BAD_HEADER;
    }
    const std::uint8_t status = header[1];
    responseLength_ = static_cast<std::uint32_t>(header[2]) | static_cast<std::uint32_t>(header[3]) << 8 |
                      static_cast<std::uint32_t>(header[4]) << 16 |
                      static_cast<std::uint32_t>(header[5]) << 24;
    if (status != STATUS_OK && status != STATUS_SETTINGS_ABNORMAL) {
        return -static_cast<ResultCode>(status);
    }
    if (responseLength_ > ResponseBufferSize) {
        // Never written past the buffer, and the rest is drained so the link stays in step.
        std::uint32_t kept = ResponseBufferSize;
        if (ReceiveBytes(timeoutMs, kept, responseBuffer_.data(), deadline) == RC_OK) {
            DiscardBytes(timeoutMs, std::uint64_t{responseLength_} - ResponseBufferSize, deadline);
        }
        return currentConnection_->Aborted() ? RC_CANCELLED : RC_SHORT_RESPONSE;
    }
    if (responseLength_ != 0) {
        std::uint32_t length = responseLength_;
        if (const ResultCode result = ReceiveBytes(timeoutMs, length, responseBuffer_.data(), deadline);
            result != RC_OK) {
            return result;
        }
    }
    return status == STATUS_SETTINGS_ABNORMAL ? RC_SETTINGS_ABNORMAL : RC_OK;
}

ResultCode DeviceSession::TransactRead(std::uint8_t code, std::span<const std::uint8_t> request,
                                       std::uint32_t minimum, int timeoutMs,
                                       std::span<const std::uint8_t>& payload, std::uint32_t usefulLength) {
    if (const ResultCode result = Transact(code, request, timeoutMs, std::max(minimum, usefulLength));
        result != RC_OK) {
        return result;
    }
    if (responseLength_ < minimum) {
        return RC_SHORT_RESPONSE;
    }
    payload = ResponsePayload();
    return RC_OK;
}

std::span<const std::uint8_t> DeviceSession::ResponsePayload() const {
    return {responseBuffer_.data(), std::min(responseLength_, ResponseBufferSize)};
}

void DeviceSession::DiscardBytes(int timeoutMs, std::uint64_t length,
                                 std::optional<Clock::time_point> deadline) {
    // The drain ends with the exchange, whatever length the peer announced; an exchange without a
    // time-out has no end to drain up to.
    if (!deadline) {
        return;
    }
    std::array<std::uint8_t, ReceivePieceSize> scratch{};
    while (length > 0) {
        const auto piece = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, scratch.size()));
        if (currentConnection_->WaitForBytes(WaitWithin(timeoutMs, deadline), piece) != 0 ||
            currentConnection_->Receive(piece, scratch.data()) != piece) {
            return;
        }
        length -= piece;
    }
}

ResultCode DeviceSession::CloseIfCancelled(ResultCode result) {
    // Between uncut commands the link is still in step, so it stays open for what the caller reads
    // after a ClearAbort.
    if (result == RC_CANCELLED && !InUncutCommands()) {
        Disconnect();
    }
    return result;
}

bool DeviceSession::InUncutCommands() {
    std::lock_guard lock(abortMutex_);
    return uncutDepth_ > 0;
}

void DeviceSession::Abort() {
    std::lock_guard lock(abortMutex_);
    abortRequested_ = true;
    if (uncutDepth_ == 0) {
        AbortLinks();
    }
}

void DeviceSession::AbortLinks() {
    serialConnection_.Abort();
    socketConnection_.Abort();
}

void DeviceSession::ClearAbort() {
    std::lock_guard lock(abortMutex_);
    abortRequested_ = false;
    serialConnection_.ClearAbort();
    socketConnection_.ClearAbort();
}

DeviceSession::UncutCommands::UncutCommands(DeviceSession& session) : session_(session) {
    std::lock_guard lock(session_.abortMutex_);
    ++session_.uncutDepth_;
}

DeviceSession::UncutCommands::~UncutCommands() {
    std::lock_guard lock(session_.abortMutex_);
    // An abort that waited for the commands to finish now reaches the links.
    if (--session_.uncutDepth_ == 0 && session_.abortRequested_) {
        session_.AbortLinks();
    }
}

void DeviceSession::Attach(CConnection& connection, ConnectionType type) {
    currentConnection_ = &connection;
    commandLog_.StartLog();
    connectionType_ = type;
}

void DeviceSession::Disconnect() {
    if (currentConnection_ != nullptr) {
        currentConnection_->Close();
    }
    currentConnection_ = nullptr;
    commandLog_.StopLog();
    connectionType_ = ConnectionType::None;
    connectedSensor_.reset();
}

std::vector<std::uint8_t*> DeviceSession::BlockBuffers() {
    std::vector<std::uint8_t*> pointers;
    for (auto& buffer : blockBuffers_) {
        pointers.push_back(buffer.data());
    }
    return pointers;
}

} // namespace orlo
