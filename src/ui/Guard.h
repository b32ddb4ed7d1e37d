#pragma once
// Runs an event handler and shows any error that escapes it in a message
// box, so the program goes on.
#include <functional>

namespace Usr {
void Guard(const std::function<void()>& handler);
}
