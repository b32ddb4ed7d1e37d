#pragma once
// What every test executable sets up before its tests run: yIni handed the
// program-wide state, as the program does at start, and the hooks below.

// A store connection that cannot close (a statement of it left open)
// fails the test that was running.
void InstallTestHooks();
