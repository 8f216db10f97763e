#pragma once

#include <QString>

// Where the program keeps the files it writes for its user.
namespace DataLocation {

// The folder for the user's own data files. The program's folder while the user can write
// there (a build folder, a prefix in the home folder, an unpacked archive), so that a copy kept
// there carries its data with it; otherwise, as for a system-wide install, the per-user data
// folder "Vantrel" below $XDG_DATA_HOME, made private to the user when missing.
QString Folder();

} // namespace DataLocation
