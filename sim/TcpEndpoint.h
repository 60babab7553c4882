#pragma once

#include <cstdint>
#include <string>

namespace orlo::sim {

struct TcpEndpoint {
    std::string host = "127.0.0.1";
    std::uint16_t port = 9600; // 0: any free port
};

} // namespace orlo::sim
