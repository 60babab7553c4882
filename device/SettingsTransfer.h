#pragma once

#include "device/DeviceSession.h"
#include "device/ResultCode.h"
#include "settings/file/SettingsRecord.h"

#include <filesystem>

namespace orlo {

// Reads every setting of the sensor (false-detection rectangles excepted) in the export order.
ResultCode ReadSettingsRecord(DeviceSession& session, SettingsRecord& record);
// Backup: reads everything, writes "tmp.ini" in the working directory and then replaces `path` with
// it in one step, so a failure never leaves a partial file there. -1 when the file cannot be written.
ResultCode ExportSettings(DeviceSession& session, const std::filesystem::path& path);
// Restore: -51 when the file cannot be read (nothing is sent), else writes every setting in order
// and refreshes the detection area cache and Portrait. Nothing is read back for comparison.
ResultCode ImportSettings(DeviceSession& session, const std::filesystem::path& path);

} // namespace orlo
