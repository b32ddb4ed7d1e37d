#include "compare/act/FolderCheck.h"

#include "compare/act/SafeCopy.h"
#include "env/Aside.h"
#include "env/NameBytes.h"

#include <QHash>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
using Seen = QHash<QByteArray, const SeenEntry*>;

QString Unseen(const QByteArray& rel)
{
    return QStringLiteral("比較していないものがあります: ") + ShownName(DecodeName(rel));
}

// Every entry below the open folder `fd` (at `rel` from the folder that
// goes) is in `seen`, each file as it was.
bool Holds(int fd, const QByteArray& rel, const Seen& seen, QString& err, int depth)
{
    DIR* d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        err = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    bool ok = depth < 256;
    errno = 0;
    while (const dirent* e = ok ? ::readdir(d) : nullptr) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0) || Aside::IsAsideName(n)))
            continue; // a killed run's temporary file goes with the folder
        const QByteArray path = rel.isEmpty() ? QByteArray(n) : rel + '/' + n;
        const SeenEntry* s = seen.value(path);
        struct stat st;
        if (!s || ::fstatat(::dirfd(d), n, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            ok = false;
            err = Unseen(path);
        } else if (S_ISDIR(st.st_mode)) {
            const int sub = ::openat(::dirfd(d), n, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            ok = s->folder && sub >= 0 && Holds(sub, path, seen, err, depth + 1);
            if (!ok && err.isEmpty())
                err = Unseen(path);
        } else if (!s->folder) { // a file, or a link the walk followed to a file
            ok = ::fstatat(::dirfd(d), n, &st, 0) == 0 && AsSeen(st, s->stamp, s->size);
            if (!ok)
                err = QStringLiteral("比較の後に変わりました: ") + ShownName(DecodeName(path));
        } else if (!S_ISLNK(st.st_mode)) { // a link to a folder goes as a link, its target untouched
            ok = false;
            err = Unseen(path);
        }
    }
    ::closedir(d);
    return ok;
}
} // namespace

bool FolderAsSeen(int dir, const QByteArray& name, const SyncAction& a, QString& err)
{
    struct stat st;
    if (::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISLNK(st.st_mode)) // a link to a folder goes as a link, what it leads to untouched
        return true;
    const int fd = ::openat(dir, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &st) != 0 || (a.dst.ino != 0 && (quint64(st.st_ino) != a.dst.ino))) {
        if (fd >= 0)
            ::close(fd);
        err = QStringLiteral("ﾌｫﾙﾀﾞが比較の後に変わりました");
        return false;
    }
    Seen seen;
    for (const SeenEntry& e : a.below)
        seen.insert(e.rel, &e);
    return Holds(fd, {}, seen, err, 0);
}
