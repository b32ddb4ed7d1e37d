#include "env/DiskSync.h"

#include <io.h>
#include <windows.h>

bool SyncToDisk(QFile& f)
{
    if (!f.flush())
        return false;
    // QFile hands out a C run-time descriptor; the disk flush needs its handle.
    const int fd = f.handle();
    if (fd < 0)
        return true;
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return h != INVALID_HANDLE_VALUE && FlushFileBuffers(h) != 0;
}
