// The walk reads folders on a small pool of threads, so that several reads
// are in flight (a cold disk answers them together) and the work of a big
// tree spreads over the cores. Each folder read becomes a node of a tree in
// memory; the result is then put together from that tree in walk order, so
// the order, the skipped paths and which path reaches a folder first are
// those of a walk on one thread. Links to folders are read when their turn
// comes in that order, since only then is it known whether the folder they
// lead to was walked already.
#include "compare/Matcher.h"
#include "compare/Walker.h"

#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_set>

namespace {
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

// One folder as read: its sorted files and subfolders, and what could not
// be read in it, in the order they were met.
struct Node {
    QString path;      // as shown in messages
    std::string rel;   // the bytes below the compared folder; empty for it
    bool link = false; // reached through a link to a folder
    bool read = false;
    bool gone = false;               // vanished: nothing to list or report
    std::optional<WalkSkip> opening; // could not be opened: reported at its place
    bool listed = false;             // opened and listed (perhaps not to the end)
    DirId id{};
    std::vector<WalkSkip> skips;
    QString relShown;
    std::vector<char> names; // file names in order, each ended by a zero byte
    std::vector<WalkFile> files;
    std::vector<size_t> keys;
    std::vector<std::unique_ptr<Node>> subs;
};

struct RawFile {
    size_t name; // offset in the raw name buffer
    qint64 size, mtime;
};

struct RawDir {
    std::string name;
    bool link;
};

class Walk {
public:
    Walk(const QString& root, std::atomic<qint64>& seen, const std::atomic<bool>* stop, int readers)
            : m_root(root), m_seen(seen), m_stop(stop), m_readers(readers)
    {
    }
    ~Walk() { Shutdown(); }

    void Run()
    {
        const QString open = OpenPath(m_root);
        m_rootFd = ::open(EncodeName(open).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_rootFd < 0)
            throw FcError(ErrKind::FileSystem, QStringLiteral("ﾌｫﾙﾀﾞを読めません: ") + open + QStringLiteral(" (") +
                                                   ErrText(errno) + QLatin1Char(')'));
        Node root;
        root.path = open;
        for (int i = 1; i < m_readers; ++i)
            m_threads.emplace_back([this] { Work(nullptr); });
        Drain(&root);
        Reserve(root);
        Assemble(root);
    }

    WalkResult result;

private:
    // Reads `start` and every folder below it that is not behind a link,
    // with the pool's help; returns when all are read.
    void Drain(Node* start)
    {
        {
            std::lock_guard lk(m_mx);
            m_queue.push_back(start);
        }
        m_cv.notify_all();
        Work(start);
        std::exception_ptr err;
        {
            std::lock_guard lk(m_mx);
            std::swap(err, m_err);
            m_failed = false;
        }
        if (err)
            std::rethrow_exception(err);
    }

    // Takes folders from the queue until none is left and none is being
    // read. With `start` (the caller's own round) it returns then; a pool
    // thread waits for the next round or the end.
    void Work(Node* start)
    {
        std::unique_lock lk(m_mx);
        for (;;) {
            m_cv.wait(lk, [&] { return m_end || !m_queue.empty() || (start && m_busy == 0); });
            if (m_end || (m_queue.empty() && start))
                return;
            Node* n = m_queue.back();
            m_queue.pop_back();
            ++m_busy;
            lk.unlock();
            std::vector<Node*> more;
            try {
                if (!m_failed.load())
                    Read(*n, more);
            } catch (...) {
                std::lock_guard g(m_mx);
                if (!m_err)
                    m_err = std::current_exception();
                m_failed = true;
            }
            lk.lock();
            if (!m_failed.load())
                m_queue.insert(m_queue.end(), more.rbegin(), more.rend());
            else
                m_queue.clear();
            --m_busy;
            m_cv.notify_all();
        }
    }

    void Shutdown()
    {
        {
            std::lock_guard lk(m_mx);
            m_end = true;
        }
        m_cv.notify_all();
        for (std::thread& t : m_threads)
            t.join();
        m_threads.clear();
        if (m_rootFd >= 0)
            ::close(m_rootFd);
        m_rootFd = -1;
    }

    // Opens a folder below the compared one. A path too long for one call
    // is opened a stretch at a time.
    int OpenRel(const std::string& rel) const
    {
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
        if (rel.empty())
            return fcntl(m_rootFd, F_DUPFD_CLOEXEC, 0);
        constexpr size_t kStretch = 2048;
        if (rel.size() < kStretch)
            return openat(m_rootFd, rel.c_str(), flags);
        int fd = m_rootFd;
        for (size_t at = 0; at < rel.size();) {
            size_t end = rel.size();
            if (end - at >= kStretch)
                end = rel.rfind('/', at + kStretch);
            const int next = openat(fd, rel.substr(at, end - at).c_str(), flags);
            const int err = errno;
            if (fd != m_rootFd)
                ::close(fd);
            if (next < 0) {
                errno = err;
                return -1;
            }
            fd = next;
            at = end + 1;
        }
        return fd;
    }

    void Read(Node& n, std::vector<Node*>& more)
    {
        n.read = true;
        const int fd = OpenRel(n.rel);
        if (fd < 0) {
            if (Vanished(errno) && !n.rel.empty())
                n.gone = true;
            else
                n.opening = WalkSkip{n.path, ErrText(errno)};
            return;
        }
        struct stat st;
        if (fstat(fd, &st) != 0) {
            n.opening = WalkSkip{n.path, ErrText(errno)};
            ::close(fd);
            return;
        }
        n.id = DirId{st.st_dev, st.st_ino};
        DIR* d = fdopendir(fd);
        if (!d) {
            n.skips.push_back({n.path, ErrText(errno)});
            ::close(fd);
            return;
        }
        DirCloser guard{d};
        n.listed = true;
        std::vector<char> raw;
        std::vector<RawFile> files;
        std::vector<RawDir> dirs;
        List(d, n, raw, files, dirs);
        std::sort(files.begin(), files.end(),
                  [&](const RawFile& a, const RawFile& b) { return std::strcmp(&raw[a.name], &raw[b.name]) < 0; });
        std::sort(dirs.begin(), dirs.end(), [](const RawDir& a, const RawDir& b) { return a.name < b.name; });
        Keep(n, raw, files);
        for (RawDir& sub : dirs) {
            auto c = std::make_unique<Node>();
            c->path = JoinPath(n.path, DecodeName(sub.name.data(), qsizetype(sub.name.size())));
            c->rel = n.rel.empty() ? std::move(sub.name) : n.rel + '/' + sub.name;
            c->link = sub.link;
            if (!c->link)
                more.push_back(c.get());
            n.subs.push_back(std::move(c));
        }
    }

    // The sorted files of a folder, with their match keys.
    void Keep(Node& n, const std::vector<char>& raw, const std::vector<RawFile>& files)
    {
        n.relShown = RelPath(n.path, m_root);
        const QString folded = FolderKey(n.relShown);
        QString buf;
        n.files.reserve(files.size());
        n.keys.reserve(files.size());
        n.names.reserve(raw.size());
        for (const RawFile& f : files) {
            const char* name = &raw[f.name];
            const size_t len = std::strlen(name);
            n.files.push_back({f.size, f.mtime, 0, quint32(n.names.size())});
            n.names.insert(n.names.end(), name, name + len + 1);
            n.keys.push_back(FileKey(buf, folded, QByteArrayView(name, qsizetype(len))));
        }
    }

    void List(DIR* d, Node& n, std::vector<char>& raw, std::vector<RawFile>& files, std::vector<RawDir>& dirs)
    {
        const int dfd = dirfd(d);
        errno = 0;
        while (dirent* e = readdir(d)) {
            if (m_stop && m_stop->load(std::memory_order_relaxed))
                ThrowStopped();
            const char* name = e->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            if (e->d_type == DT_DIR) {
                dirs.push_back({name, false});
                continue;
            }
            struct stat st;
            if (fstatat(dfd, name, &st, 0) != 0 && fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (!Vanished(errno))
                    n.skips.push_back({JoinPath(n.path, DecodeName(name)), ErrText(errno)});
            } else if (S_ISDIR(st.st_mode)) {
                dirs.push_back({name, e->d_type == DT_LNK || IsLink(dfd, e)});
            } else {
                files.push_back({raw.size(), qint64(st.st_size), qint64(st.st_mtim.tv_sec)});
                raw.insert(raw.end(), name, name + std::strlen(name) + 1);
                m_seen.fetch_add(1, std::memory_order_relaxed); // the count moves inside a big folder too
            }
            errno = 0;
        }
        if (errno != 0)
            n.skips.push_back({n.path, ErrText(errno)}); // what was read before stays listed
    }

    // Whether an entry of unknown type that leads to a folder is a link.
    static bool IsLink(int dfd, const dirent* e)
    {
        struct stat st;
        return e->d_type == DT_UNKNOWN && fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
               S_ISLNK(st.st_mode);
    }

    // Room for the files read so far, so the result is not copied as it grows.
    void Reserve(const Node& root)
    {
        size_t files = 0, names = 0, folders = 0;
        std::vector<const Node*> todo{&root};
        while (!todo.empty()) {
            const Node* n = todo.back();
            todo.pop_back();
            files += n->files.size();
            names += n->names.size();
            ++folders;
            for (const auto& s : n->subs)
                todo.push_back(s.get());
        }
        result.files.reserve(files);
        result.keys.reserve(files);
        result.names.reserve(names);
        result.folders.reserve(folders);
        result.folderNames.reserve(folders);
    }

    // Adds a folder and those below it to the result in walk order, freeing
    // each node once it is taken.
    void Assemble(Node& n)
    {
        if (!n.read)
            Drain(&n); // a link to a folder, read now that its turn has come
        if (n.gone)
            return;
        if (n.opening) {
            result.skipped.push_back(std::move(*n.opening));
            return;
        }
        if (!m_walked.insert(n.id).second)
            return; // reached before by another path
        for (WalkSkip& s : n.skips)
            result.skipped.push_back(std::move(s));
        if (n.listed)
            Take(n);
        for (auto& s : n.subs) {
            Assemble(*s);
            s.reset();
        }
    }

    void Take(Node& n)
    {
        result.AddFolder(n.relShown);
        const quint32 fi = quint32(result.folders.size() - 1);
        for (WalkFile f : n.files) {
            f.folder = fi;
            result.files.push_back(f);
        }
        result.names.insert(result.names.end(), n.names.begin(), n.names.end());
        result.keys.insert(result.keys.end(), n.keys.begin(), n.keys.end());
        std::vector<char>().swap(n.names);
        std::vector<WalkFile>().swap(n.files);
        std::vector<size_t>().swap(n.keys);
    }

    QString m_root;
    std::atomic<qint64>& m_seen;
    const std::atomic<bool>* m_stop;
    int m_readers;
    int m_rootFd = -1;
    std::unordered_set<DirId, DirIdHash> m_walked;

    std::mutex m_mx;
    std::condition_variable m_cv;
    std::vector<Node*> m_queue;
    int m_busy = 0;
    std::atomic<bool> m_failed{false};
    bool m_end = false;
    std::exception_ptr m_err;
    std::vector<std::thread> m_threads;
};
} // namespace

WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen, const std::atomic<bool>* stop,
                      const WalkOptions& opt)
{
    Walk w(folder, seen, stop, WalkReaders(opt));
    w.Run();
    return std::move(w.result);
}
