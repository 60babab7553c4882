#include "gui/settings/WrittenSettings.h"

#include "core/device/ResultMessage.h"
#include "gui/uikit/StringText.h"

namespace orlo {
namespace {

constexpr int STR_WRITTEN_AND_NOT = 9033;
constexpr int STR_NOTHING_WRITTEN = 9034;
constexpr int STR_ALL_WRITTEN = 9035;

QString Filled(int id, const std::string& first, const std::string& second = {}) {
    return QString::asprintf(StringText(id).toUtf8().constData(), first.c_str(), second.c_str());
}

} // namespace

QString WrittenSettingsText(const SettingsApplyProgress& progress) {
    if (progress.written == 0) {
        return StringText(STR_NOTHING_WRITTEN);
    }
    if (progress.NotWritten().empty()) {
        return Filled(STR_ALL_WRITTEN, progress.Written());
    }
    return Filled(STR_WRITTEN_AND_NOT, progress.Written(), progress.NotWritten());
}

QString CancelledWritesText(const SettingsApplyProgress& progress) {
    return QString::fromStdString(ResultMessage(RC_CANCELLED)) + QLatin1Char('\n') +
           WrittenSettingsText(progress);
}

} // namespace orlo
