#pragma once

#include "gui/shell/PageBase.h"

#include <functional>
#include <memory>

namespace orlo {

class DeviceSession;
class CMiraSettingsDlgBase;

// Makes the main window's pages, each with the session and the main window as parent; every maker is
// set and makes its page. The program passes the real pages, tests their own.
struct PageFactory {
    using MakeHome = std::function<std::unique_ptr<CHomePageBase>(DeviceSession&, CMiraSettingsDlgBase&)>;
    using MakePage = std::function<std::unique_ptr<CPageBase>(DeviceSession&, CMiraSettingsDlgBase&)>;

    MakeHome home;
    MakePage camera;
    MakePage detection;
    MakePage system;
};

} // namespace orlo
