#pragma once

#include <QString>

// One copy of the program per user at a time.
namespace SingleInstance {

// True when another copy of the program is running. The first call decides it for the whole
// process and takes the lock when it is free; every later call gives the same answer, so a
// start-up window built again after the chart closes does not mistake this copy's own lock
// for another one's.
bool AnotherIsRunning();

// Where the lock lives: a file in the temporary folder, one per user.
QString LockFilePath();

} // namespace SingleInstance
