#pragma once

#include <QString>

// One copy of the program per user at a time, and a second start brings the running copy
// forward instead of opening another.
namespace SingleInstance {

// True when another copy of the program is running for this user; that copy has then been
// asked to raise and activate its window, with the activation token the launcher gave this
// start (XDG_ACTIVATION_TOKEN or DESKTOP_STARTUP_ID), and asks for attention where the desktop
// does not let it take the focus. The first call decides it for the whole process: a
// copy that finds itself alone takes the lock and from then on answers the hand-over requests
// of later starts. Every later call gives the same answer, so a start-up window built again
// after the chart closes does not mistake this copy's own lock for another one's.
bool AnotherIsRunning();

// The lock and the hand-over socket live in the user's runtime folder, which only the user can
// write. Both are empty when the user has none: the program then runs without the guard rather
// than trust a folder that others can write.
QString LockFilePath();
QString ServerPath();

} // namespace SingleInstance
