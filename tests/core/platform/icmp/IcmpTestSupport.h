#pragma once

#include "core/platform/IcmpEchoSocket.h"

#include <optional>
#include <string>

namespace orlo {

// Why this machine lets the process open no ICMP socket; nothing when it does. Tests skip on it.
inline std::optional<std::string> IcmpUnavailable() {
    auto opened = IcmpEchoSocket::Open();
    if (opened.socket) {
        return std::nullopt;
    }
    return std::move(opened.failure.text);
}

} // namespace orlo
