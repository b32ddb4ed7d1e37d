#include "env/DiskSync.h"

#include <unistd.h>

bool SyncToDisk(QFile& f) { return f.flush() && ::fsync(f.handle()) == 0; }
