#include "cli/IdentityText.h"

#include "cli/TextOutput.h"
#include "core/platform/PrintableText.h"

namespace orlo::cli {

namespace {

// What is worth saying beside a sensor's fields: its abnormal settings and a missing text.
std::string SensorNote(const SensorIdentity& identity) {
    std::string note = identity.settingsAbnormal ? "settings abnormal (status 0x50)" : "";
    if (!identity.detail.empty()) {
        note += (note.empty() ? "" : "; ") + identity.detail;
    }
    return note;
}

} // namespace

std::string IdentityLine(const SensorIdentity& identity) {
    const std::string address = FormatIpv4(identity.target.address);
    if (identity.outcome != IdentifyOutcome::Sensor) {
        return address + "\t-\t-\t-\t" + DescribeIdentity(identity) + "\n";
    }
    const std::string note = SensorNote(identity);
    return address + "\t" + PrintableText(identity.info.name) + "\t" + FormatVersion(identity.info) + "\t" +
           PrintableText(identity.text) + (note.empty() ? "" : "\t" + note) + "\n";
}

std::string IdentityJson(const SensorIdentity& identity) {
    std::string json = "{\"address\": " + JsonString(FormatIpv4(identity.target.address)) +
                       ", \"port\": " + std::to_string(identity.target.port) +
                       ", \"outcome\": " + JsonString(OutcomeName(identity.outcome));
    if (identity.outcome == IdentifyOutcome::Sensor) {
        json += ", \"model\": " + JsonString(PrintableText(identity.info.name)) +
                ", \"version\": " + JsonString(FormatVersion(identity.info)) +
                ", \"text\": " + JsonString(PrintableText(identity.text)) +
                ", \"settingsAbnormal\": " + (identity.settingsAbnormal ? "true" : "false") +
                ", \"message\": " + JsonString(SensorNote(identity));
    } else {
        json += ", \"message\": " + JsonString(DescribeIdentity(identity));
    }
    return json + "}";
}

} // namespace orlo::cli
