#pragma once

// The kinds of system handle the transports own: file descriptors on POSIX, handles and sockets on
// Windows. Each owner has Get, Valid, Release and Reset.
#ifdef _WIN32
#include "core/transport/Win32Handles.h"
namespace orlo {
using PortHandle = UniqueHandle;
using EventHandle = UniqueHandle;
using SocketHandle = UniqueSocket;
} // namespace orlo
#else
#include "core/platform/UniqueFd.h"

#include <netinet/in.h>
namespace orlo {
using PortHandle = UniqueFd;
using EventHandle = UniqueFd;
using SocketHandle = UniqueFd;
} // namespace orlo
#endif
