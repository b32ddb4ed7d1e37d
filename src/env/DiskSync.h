#pragma once
// Forces a written file's data onto the disk before it is renamed over the
// file it replaces, so a crash never leaves an empty or partial file.
#include <QFile>

// True when the open file's buffered data and contents reached the disk.
bool SyncToDisk(QFile& f);
