#pragma once

#include "settings/SystemDlgBase.h"

namespace orlo {

// The system page the main window shows: with the USB time-out section.
class CSystemDlg : public CSystemDlgBase {
public:
    CSystemDlg(DeviceSession& session, QWidget* mainWindow) : CSystemDlgBase(session, mainWindow, true) {}
};

} // namespace orlo
