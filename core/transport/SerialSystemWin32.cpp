#include "core/transport/Serial.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <system_error>

namespace orlo {

namespace {

constexpr DWORD kQueueSize = 1024;
constexpr DWORD kFallbackPollMs = 5;

bool IsSupportedRate(std::uint32_t baudRate) {
    static constexpr std::array<std::uint32_t, 8> kRates{9600,   19200,  38400,  57600,
                                                         115200, 230400, 460800, 921600};
    return std::find(kRates.begin(), kRates.end(), baudRate) != kRates.end();
}

// "COM5" and "\\.\COM5" both name the port; the device namespace also reaches COM10 and above.
std::wstring DevicePath(const std::string& port) {
    std::wstring wide(port.begin(), port.end());
    return wide.starts_with(L"\\\\.\\") ? wide : L"\\\\.\\" + wide;
}

bool ConfigureLine(HANDLE port, std::uint32_t baudRate) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port, &dcb)) {
        return false;
    }
    // Raw 8N1 without flow control, modem lines off; other flags stay as the driver has them.
    dcb.BaudRate = baudRate;
    dcb.fBinary = TRUE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.fParity = FALSE;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    if (!::SetCommState(port, &dcb)) {
        return false;
    }
    DCB applied{};
    applied.DCBlength = sizeof applied;
    if (!::GetCommState(port, &applied) || applied.BaudRate != baudRate) {
        return false;
    }
    // A read returns at once with what is queued (or waits up to 200 ms for a first byte); a write may
    // take 10 ms per byte plus one second.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = 200;
    timeouts.WriteTotalTimeoutMultiplier = 10;
    timeouts.WriteTotalTimeoutConstant = 1000;
    return ::SetupComm(port, kQueueSize, kQueueSize) && ::SetCommTimeouts(port, &timeouts) &&
           ::SetCommMask(port, EV_RXCHAR | EV_ERR);
}

// One overlapped operation on the port completed (or failed) within its time-outs.
bool FinishOverlapped(HANDLE port, OVERLAPPED& overlapped, BOOL started, DWORD& transferred) {
    if (!started && ::GetLastError() != ERROR_IO_PENDING) {
        return false;
    }
    return ::GetOverlappedResult(port, &overlapped, &transferred, TRUE) != FALSE;
}

enum class CommWait { Byte, Stop, Unsupported };

// Waits for the driver's "byte received" (or error) event or the stop request.
CommWait WaitForByte(HANDLE port, HANDLE commEvent, HANDLE stop) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = commEvent;
    DWORD mask = 0;
    if (::WaitCommEvent(port, &mask, &overlapped)) {
        return CommWait::Byte;
    }
    if (::GetLastError() != ERROR_IO_PENDING) {
        return CommWait::Unsupported;
    }
    const std::array<HANDLE, 2> handles{stop, commEvent};
    const DWORD which =
        ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, INFINITE);
    DWORD ignored = 0;
    if (which != WAIT_OBJECT_0 + 1) {
        // The pending wait must end before its OVERLAPPED goes out of scope.
        ::CancelIoEx(port, &overlapped);
        ::GetOverlappedResult(port, &overlapped, &ignored, TRUE);
        return CommWait::Stop;
    }
    return ::GetOverlappedResult(port, &overlapped, &ignored, FALSE) ? CommWait::Byte : CommWait::Unsupported;
}

// An error the driver reports when the device behind the port has gone (USB adapter unplugged).
bool LineGone(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_BAD_COMMAND || error == ERROR_DEVICE_REMOVED ||
           error == ERROR_GEN_FAILURE || error == ERROR_INVALID_HANDLE || error == ERROR_FILE_NOT_FOUND ||
           error == ERROR_OPERATION_ABORTED;
}

} // namespace

bool CSerial::Open(const std::string& path, std::uint32_t baudRate) {
    Close();
    // Windows refuses a port that another program holds with ERROR_ACCESS_DENIED: there is no group a
    // user could join, so no failure counts as a permission problem.
    lastOpenFailure_ = OpenFailure::Other;
    if (path.empty() || !IsSupportedRate(baudRate)) {
        return false;
    }
    // Exclusive (no sharing), existing device only; overlapped so the reader thread can wait for
    // bytes and for its stop request at the same time.
    UniqueHandle port(::CreateFileW(DevicePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
    if (!port.Valid() || !ConfigureLine(port.Get(), baudRate) || !wake_.Create()) {
        wake_.Reset();
        return false;
    }
    port_ = std::move(port);
    return StartReader();
}

void CSerial::ReleasePort() {
    port_.Reset();
    wake_.Reset();
}

std::uint32_t CSerial::Send(const std::uint8_t* bytes, std::uint32_t length) {
    if (!port_.Valid()) {
        return 0;
    }
    {
        // Under the lock, so the reader cannot store a stale byte between the reset and the purge.
        std::lock_guard lock(lock_);
        writeCount_ = 0;
        readIndex_ = 0;
        ::PurgeComm(port_.Get(), PURGE_RXCLEAR);
        ::PurgeComm(port_.Get(), PURGE_TXCLEAR);
    }
    const UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.Valid()) {
        return 0;
    }
    std::uint32_t written = 0;
    while (written < length) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(length - written, kPieceSize));
        OVERLAPPED overlapped{};
        overlapped.hEvent = done.Get();
        DWORD count = 0;
        const BOOL started = ::WriteFile(port_.Get(), bytes + written, piece, &count, &overlapped);
        // The write time-outs bound the wait; a write of nothing ends the loop with the count so far.
        if (!FinishOverlapped(port_.Get(), overlapped, started, count) || count == 0) {
            break;
        }
        written += count;
    }
    return written;
}

void CSerial::ReadLoop() {
    const UniqueHandle commEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    bool eventsWork = commEvent.Valid();
    // ReadPiece takes what is queued (bytes that came before a wait was armed too) and notices a line
    // that has gone; between pieces the thread sleeps until the driver reports a byte.
    while (ReadPiece()) {
        if (eventsWork) {
            const CommWait wait = WaitForByte(port_.Get(), commEvent.Get(), wake_.Fd());
            if (wait == CommWait::Stop) {
                return;
            }
            eventsWork = wait == CommWait::Byte;
            if (eventsWork) {
                continue;
            }
        }
        // A driver without comm events (Wine on a pseudo-terminal) is looked at again after a pause.
        if (::WaitForSingleObject(wake_.Fd(), kFallbackPollMs) == WAIT_OBJECT_0) {
            return;
        }
    }
    hungUp_ = true;
    if (bytesArrived_) {
        bytesArrived_(); // wakes a waiter for bytes that can no longer come
    }
    // After a hang-up only the stop request is awaited.
    ::WaitForSingleObject(wake_.Fd(), INFINITE);
}

bool CSerial::ReadPiece() {
    for (;;) {
        std::array<std::uint8_t, kPieceSize> piece{};
        std::uint32_t stored = 0;
        {
            std::lock_guard lock(lock_);
            // Asking for the queue length also clears an error state that would stop further I/O.
            DWORD errors = 0;
            COMSTAT status{};
            if (!::ClearCommError(port_.Get(), &errors, &status)) {
                return !LineGone(::GetLastError());
            }
            if (status.cbInQue == 0) {
                return true;
            }
            const DWORD wanted = std::min<DWORD>(status.cbInQue, kPieceSize);
            const UniqueHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
            OVERLAPPED overlapped{};
            overlapped.hEvent = done.Get();
            DWORD count = 0;
            const BOOL started = ::ReadFile(port_.Get(), piece.data(), wanted, &count, &overlapped);
            if (!done.Valid() || !FinishOverlapped(port_.Get(), overlapped, started, count)) {
                return !LineGone(::GetLastError());
            }
            // A full store drops the rest until the next send resets it.
            stored = std::min(static_cast<std::uint32_t>(count),
                              static_cast<std::uint32_t>(store_.size()) - writeCount_);
            std::memcpy(store_.data() + writeCount_, piece.data(), stored);
            writeCount_ += stored;
        }
        if (stored > 0 && bytesArrived_) {
            bytesArrived_();
        }
    }
}

} // namespace orlo
