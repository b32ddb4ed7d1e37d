#pragma once
// What every test executable sets up before its tests run.

// A store connection that cannot close (a statement of it left open)
// fails the test that was running.
void InstallTestHooks();
