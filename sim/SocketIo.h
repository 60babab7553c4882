#pragma once

// The few system calls the simulator's links make, behind one interface so that the link code is the
// same on POSIX (file descriptors, poll) and on Windows (Winsock sockets, WSAPoll).

#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <poll.h>
#endif

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orlo::sim {

#ifdef _WIN32
using NativeHandle = SOCKET;
inline constexpr NativeHandle kNoHandle = INVALID_SOCKET;
#else
using NativeHandle = int;
inline constexpr NativeHandle kNoHandle = -1;
#endif

void closeHandle(NativeHandle handle);

// The system's text for the last failed call.
std::string lastErrorText();

// poll() over sockets (and, on POSIX, any descriptor) with an optional time-out; retries on signals.
// Returns the number of ready entries, 0 on time-out, -1 on error.
int waitHandles(pollfd* fds, std::size_t count, std::optional<std::chrono::steady_clock::duration> timeout);

// What readSome and writeSome report besides a byte count.
inline constexpr long kTryAgain = -1; // nothing now: wait and call again
inline constexpr long kFailed = -2;   // the stream is broken

// Bytes read (> 0), 0 when the peer closed the stream, kTryAgain or kFailed. `socket`: use recv/send.
long readSome(NativeHandle handle, std::uint8_t* buffer, std::size_t size, bool socket);
// Bytes written (> 0), 0 when nothing could be written, kTryAgain or kFailed. A closed peer raises no
// signal.
long writeSome(NativeHandle handle, const std::uint8_t* data, std::size_t size, bool socket);

// The IPv4 address of a dotted address or a host name.
bool resolveIpv4(const std::string& host, in_addr& address);
// A non-blocking listening TCP socket bound to `address` (port 0: any free port, written back).
NativeHandle openListener(sockaddr_in& address, std::string& error);
// A non-blocking accepted client with Nagle off; kNoHandle when none was waiting (`busy` false) or the
// system ran out of something (`busy` true: do not retry at once).
NativeHandle acceptClient(NativeHandle listener, bool& busy);

} // namespace orlo::sim
