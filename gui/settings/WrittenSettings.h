#pragma once

#include "core/device/SettingsApplyProgress.h"

#include <QString>

namespace orlo {

// Which settings a sequence of writes that stopped early has left on the sensor: nothing, all of
// them, or those written and those not, by name.
QString WrittenSettingsText(const SettingsApplyProgress& progress);
// "中止しました" followed by WrittenSettingsText: the message of a write sequence the user gave up.
QString CancelledWritesText(const SettingsApplyProgress& progress);

} // namespace orlo
