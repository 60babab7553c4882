#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/device/SettingsApplyProgress.h"
#include "core/settingsfile/SettingsFile.h"
#include "core/settingsfile/SettingsRecord.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace orlo {

// Reads every setting of the sensor in the export order, the false-detection rectangles last.
ResultCode ReadSettingsRecord(DeviceSession& session, SettingsRecord& record);
// Backup: reads everything, writes a temporary file of its own beside `path`, reads it back with the
// import's reader and only then replaces `path` with it in one step, so a failure never leaves a
// partial file there and a backup that would not restore is never made. -1 (with `problem`) when
// the file cannot be written or would not restore.
ResultCode ExportSettings(DeviceSession& session, const std::filesystem::path& path,
                          SettingsFileProblem* problem = nullptr);
// The backup's bytes, for a stream rather than a file: checked with the import's reader the same way;
// `bytes` is written only on success.
ResultCode ExportSettingsText(DeviceSession& session, std::string& bytes,
                              SettingsFileProblem* problem = nullptr);
// Restore: -51 (with `problem`) when the file cannot be read (nothing is sent), else applies it
// (with `progress`, as ApplySettingsRecord).
ResultCode ImportSettings(DeviceSession& session, const std::filesystem::path& path,
                          SettingsFileProblem* problem = nullptr, SettingsApplyProgress* progress = nullptr);
// Writes every setting of the record in order (the false-detection rectangles last, when the record
// holds them; else the sensor's stay as they are) and refreshes the detection area cache and Portrait.
// Nothing is read back for comparison. `progress` is set whatever the result: every write planned,
// and how many were done. An Abort stops it before the next write (RC_CANCELLED), the link kept open.
ResultCode ApplySettingsRecord(DeviceSession& session, const SettingsRecord& record,
                               SettingsApplyProgress* progress = nullptr);

} // namespace orlo
