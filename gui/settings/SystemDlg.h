#pragma once

#include "gui/settings/SystemDlgBase.h"

#include <utility>

namespace orlo {

// The system page the main window shows: with the USB time-out section.
class CSystemDlg : public CSystemDlgBase {
public:
    CSystemDlg(DeviceSession& session, QWidget* mainWindow, std::filesystem::path modeListFile)
        : CSystemDlgBase(session, mainWindow, true, std::move(modeListFile)) {}
};

} // namespace orlo
