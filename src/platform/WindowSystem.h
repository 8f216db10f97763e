#pragma once

// Picks the window system interface before the application object exists.
namespace WindowSystem {

// On a Wayland session where the program draws its own title bars, Qt 6.4 offers a Maximise
// button on fixed-size windows, and maximising one ends the program with a protocol error (the
// window keeps its size, which the compositor refuses). So, unless the user has chosen a
// platform, an X server that the session provides (XWayland) is tried first and Wayland only
// when none answers. Elsewhere nothing changes.
void Choose();

} // namespace WindowSystem
