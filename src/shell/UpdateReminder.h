#pragma once

// Asks, at most once in 15 days, whether the user wants to look for a newer version, and
// opens the download page on Yes. The day it last ran is kept in the user's settings.
void UpdateReminder();
