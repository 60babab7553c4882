#pragma once

#include <string>

namespace orlo {

// What the person writing a commissioning report says about the installation (UTF-8); the report
// leaves out the empty ones.
struct ReportDetails {
    std::string site;
    std::string customer;
    std::string installer;
    std::string note; // may hold line breaks

    bool operator==(const ReportDetails&) const = default;
};

} // namespace orlo
