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
#include <unordered_set>

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

struct DirIdHash {
    size_t operator()(const DirId& d) const { return std::hash<ino_t>()(d.ino) ^ (std::hash<dev_t>()(d.dev) << 1); }
};

QString ErrText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Gone while the walk went on, or turned into a file: nothing to list.
bool Vanished(int err) { return err == ENOENT || err == ENOTDIR; }

struct DirCloser {
    DIR* d;
    ~DirCloser() { closedir(d); }
};

class Walk {
public:
    Walk(const QString& root, std::atomic<qint64>& seen, const std::atomic<bool>* stop)
            : m_root(root), m_seen(seen), m_stop(stop)
    {
    }

    void Run()
    {
        const QString open = OpenPath(m_root);
        const int fd = ::open(EncodeName(open).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            throw FcError(ErrKind::FileSystem, QStringLiteral("ﾌｫﾙﾀﾞを読めません: ") + open + QStringLiteral(" (") +
                                                   ErrText(errno) + QLatin1Char(')'));
        Folder(fd, open);
    }

    WalkResult result;

private:
    void Skip(const QString& path, int err) { result.skipped.push_back({path, ErrText(err)}); }

    // Walks an open folder; takes ownership of fd.
    void Folder(int fd, const QString& path)
    {
        struct stat st;
        if (fstat(fd, &st) != 0) {
            Skip(path, errno);
            ::close(fd);
            return;
        }
        if (!m_walked.insert(DirId{st.st_dev, st.st_ino}).second) {
            ::close(fd); // reached before by another path
            return;
        }
        DIR* d = fdopendir(fd);
        if (!d) {
            Skip(path, errno);
            ::close(fd);
            return;
        }
        DirCloser guard{d};
        std::vector<Raw> files;
        std::vector<std::string> dirs;
        Read(d, path, files, dirs);
        std::sort(files.begin(), files.end(), [](const Raw& a, const Raw& b) { return a.name < b.name; });
        std::sort(dirs.begin(), dirs.end());

        const quint32 fi = quint32(result.folders.size());
        result.folders.push_back(RelPath(path, m_root));
        for (Raw& r : files)
            result.files.push_back({fi, DecodeName(r.name.data(), qsizetype(r.name.size())), r.size, r.mtime});

        for (const std::string& sub : dirs) {
            const QString subPath = JoinPath(path, DecodeName(sub.data(), qsizetype(sub.size())));
            const int sfd = openat(dirfd(d), sub.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (sfd >= 0)
                Folder(sfd, subPath);
            else if (!Vanished(errno))
                Skip(subPath, errno);
        }
    }

    void Read(DIR* d, const QString& path, std::vector<Raw>& files, std::vector<std::string>& dirs)
    {
        const int dfd = dirfd(d);
        errno = 0;
        while (dirent* e = readdir(d)) {
            if (m_stop && m_stop->load(std::memory_order_relaxed))
                ThrowStopped();
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            if (e->d_type == DT_DIR) {
                dirs.emplace_back(n);
                continue;
            }
            struct stat st;
            if (fstatat(dfd, n, &st, 0) != 0 && fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (!Vanished(errno))
                    Skip(JoinPath(path, DecodeName(n)), errno);
            } else if (S_ISDIR(st.st_mode)) {
                dirs.emplace_back(n);
            } else {
                files.push_back({n, qint64(st.st_size), qint64(st.st_mtim.tv_sec)});
                m_seen.fetch_add(1, std::memory_order_relaxed); // the count moves inside a big folder too
            }
            errno = 0;
        }
        if (errno != 0)
            Skip(path, errno); // what was read before stays listed
    }

    QString m_root;
    std::atomic<qint64>& m_seen;
    const std::atomic<bool>* m_stop;
    std::unordered_set<DirId, DirIdHash> m_walked;
};
} // namespace

WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen, const std::atomic<bool>* stop)
{
    Walk w(folder, seen, stop);
    w.Run();
    return std::move(w.result);
}
