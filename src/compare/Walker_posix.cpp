#include "compare/Walker.h"

#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct Raw {
    std::string name;
    qint64 size;
    qint64 mtime;
};

struct DirId {
    dev_t dev;
    ino_t ino;
    bool operator==(const DirId& o) const { return dev == o.dev && ino == o.ino; }
};

class Walk {
public:
    Walk(const QString& root, std::atomic<qint64>& seen) : m_root(root), m_seen(seen) {}

    void Run()
    {
        QString open = OpenPath(m_root);
        int fd = ::open(EncodeName(open).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            Fail(open);
        Folder(fd, open);
    }

    WalkResult result;

private:
    [[noreturn]] void Fail(const QString& path)
    {
        throw FcError(ErrKind::FileSystem, QStringLiteral("ﾌｫﾙﾀﾞを読めません: ") + path + QStringLiteral(" (") +
                                               QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char(')'));
    }

    // Walks an open folder; takes ownership of fd.
    void Folder(int fd, const QString& path)
    {
        struct stat st;
        if (fstat(fd, &st) != 0) {
            ::close(fd);
            Fail(path);
        }
        DirId id{st.st_dev, st.st_ino};
        if (std::find(m_stack.begin(), m_stack.end(), id) != m_stack.end()) {
            ::close(fd);
            return;
        }
        DIR* d = fdopendir(fd);
        if (!d) {
            ::close(fd);
            Fail(path);
        }
        std::vector<Raw> files;
        std::vector<std::string> dirs;
        Read(d, path, files, dirs);
        std::sort(files.begin(), files.end(), [](const Raw& a, const Raw& b) { return a.name < b.name; });
        std::sort(dirs.begin(), dirs.end());

        quint32 fi = quint32(result.folders.size());
        result.folders.push_back(RelPath(path, m_root));
        for (Raw& r : files)
            result.files.push_back({fi, DecodeName(r.name.data(), qsizetype(r.name.size())), r.size, r.mtime});
        m_seen.fetch_add(qint64(files.size()), std::memory_order_relaxed);

        m_stack.push_back(id);
        for (const std::string& sub : dirs) {
            QString subPath = JoinPath(path, DecodeName(sub.data(), qsizetype(sub.size())));
            int sfd = openat(dirfd(d), sub.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (sfd < 0 && errno == ENOENT)
                continue; // removed while the walk went on: nothing of it to list
            if (sfd < 0) {
                int e = errno;
                closedir(d);
                errno = e;
                Fail(subPath);
            }
            try {
                Folder(sfd, subPath);
            } catch (...) {
                closedir(d);
                throw;
            }
        }
        m_stack.pop_back();
        closedir(d);
    }

    void Read(DIR* d, const QString& path, std::vector<Raw>& files, std::vector<std::string>& dirs)
    {
        int dfd = dirfd(d);
        errno = 0;
        while (dirent* e = readdir(d)) {
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            if (e->d_type == DT_DIR) {
                dirs.emplace_back(n);
                continue;
            }
            struct stat st;
            if (fstatat(dfd, n, &st, 0) != 0 && fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) { // removed while the folder was read
                    errno = 0;
                    continue;
                }
                int err = errno;
                closedir(d);
                errno = err;
                Fail(JoinPath(path, DecodeName(n)));
            }
            if (S_ISDIR(st.st_mode))
                dirs.emplace_back(n);
            else
                files.push_back({n, qint64(st.st_size), qint64(st.st_mtim.tv_sec)});
            errno = 0;
        }
        if (errno != 0) {
            int err = errno;
            closedir(d);
            errno = err;
            Fail(path);
        }
    }

    QString m_root;
    std::atomic<qint64>& m_seen;
    std::vector<DirId> m_stack;
};
} // namespace

WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen)
{
    Walk w(folder, seen);
    w.Run();
    return std::move(w.result);
}
