#pragma once

#include "gui/shell/MiraSettingsDlgBase.h"

namespace orlo {

// The main window the program runs.
class CMiraSettingsDlg : public CMiraSettingsDlgBase {
public:
    using CMiraSettingsDlgBase::CMiraSettingsDlgBase;
};

} // namespace orlo
