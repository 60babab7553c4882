#pragma once

namespace orlo {

// Messages between the main window and its pages, delivered as CMessageEvent (uikit/MessageEvent.h)
// with these values as event types. None carries parameters.
inline constexpr int WM_DEVICE_DISCONNECTED = 0x2401;   // monitoring page -> main window, sent
inline constexpr int WM_DEVICE_CONNECTED = 0x2402;      // monitoring page -> main window, sent
inline constexpr int WM_RETURN_HOME = 0x5400;           // pages, editors, dialogs -> main window, posted
inline constexpr int WM_RETURN_HOME_LINK_LOST = 0x5401; // same, after a send failure
inline constexpr int WM_HOME_DISCONNECT = 0x5402;       // main window -> monitoring page, posted
inline constexpr int WM_SHOW_CAMERA_PAGE = 0x5403;      // monitoring page -> main window, posted
inline constexpr int WM_OFFER_KEPT_EDITS = 0x5404;      // monitoring page -> main window, posted

} // namespace orlo
