#pragma once

#include "core/platform/FileIo.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <system_error>

namespace orlo {

// What FileIoSystem.cpp and FileIoSystemWin32.cpp share.

// Reads up to `room` bytes into `into`: the count, 0 at the end, -1 with `error` set on failure.
using ReadSome = std::function<std::ptrdiff_t(char* into, std::size_t room, std::error_code& error)>;

// Loads an open file whose size the system reported as `reportedSize` into `contents` (status Loaded)
// through `read`, or sets contents.error: a file that grows beyond maxBytes meanwhile is refused.
void LoadThrough(FileContents& contents, std::uint64_t reportedSize, std::size_t maxBytes,
                 const ReadSome& read);

} // namespace orlo
