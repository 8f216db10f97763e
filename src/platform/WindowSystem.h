#pragma once

// Which window system the program talks to. The toolkit chooses it: a Wayland client in a
// Wayland session, an X11 client elsewhere, or whatever the user named in QT_QPA_PLATFORM. The
// few places that must behave differently ask here.
namespace WindowSystem {

// True when the windows are Wayland surfaces. The compositor then has the last word on a
// window's size (a maximised window takes the size it is given) and on who gets the focus.
// Valid once the application object exists.
bool IsWayland();

} // namespace WindowSystem
