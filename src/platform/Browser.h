#pragma once

#include <QString>

namespace Browser {

// Hands an address to the desktop's default browser and returns at once; whether a browser
// was found is not the program's concern.
void Open(const QString &address);

} // namespace Browser
