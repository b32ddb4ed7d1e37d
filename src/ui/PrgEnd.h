#pragma once
// The end of the program, from any window or the main menu.
namespace Usr {
// Unloads every window, releases the shared objects and ends the event loop.
void PrgEnd();
// Whether PrgEnd has run (tests reset it).
bool Ending();
void ResetEnding();
} // namespace Usr
