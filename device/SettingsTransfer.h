#pragma once

#include "device/DeviceSession.h"
#include "device/ResultCode.h"
#include "settings/file/SettingsFile.h"
#include "settings/file/SettingsRecord.h"

#include <filesystem>
#include <string>

namespace orlo {

// Reads every setting of the sensor (false-detection rectangles excepted) in the export order.
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
// Restore: -51 (with `problem`) when the file cannot be read (nothing is sent), else applies it.
ResultCode ImportSettings(DeviceSession& session, const std::filesystem::path& path,
                          SettingsFileProblem* problem = nullptr);
// Writes every setting of the record in order and refreshes the detection area cache and Portrait.
// Nothing is read back for comparison.
ResultCode ApplySettingsRecord(DeviceSession& session, const SettingsRecord& record);

} // namespace orlo
