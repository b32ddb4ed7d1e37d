#pragma once
// Closes the main window (saving its layout) when the process is asked to
// terminate, as at the end of a desktop session.
namespace Usr {
void CloseOnTermSignal();
}
