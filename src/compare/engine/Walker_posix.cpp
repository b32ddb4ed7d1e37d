// The walk reads folders on a small pool of threads, so that several reads
// are in flight (a cold disk answers them together) and the work of a big
// tree spreads over the cores. Each folder read becomes a node of a tree;
// the walk's own thread takes the nodes in walk order as they are read,
// reading a folder itself when no reader has taken it yet, so the order,
// the skipped paths and which path reaches a folder first are those of a
// walk on one thread. The readers stay a bounded number of files ahead, so
// memory holds little more than the result. Links to folders are read when
// their turn comes, after every real folder of the side, since only then is
// it known whether the folder they lead to was walked already.
#include "compare/engine/MatchKey.h"
#include "compare/engine/WalkFilter.h"
#include "compare/engine/Walker.h"
#include <QFile>

#include "env/Aside.h"
#include "env/Error.h"
#include "env/Heap.h"
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
#include <sys/vfs.h>
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

// Gone while the walk went on, or turned into a file: nothing to list.
bool Vanished(int err) { return err == ENOENT || err == ENOTDIR; }

// The entries of an open folder, which it closes. On Linux they are read
// straight into one buffer: a folder then costs three calls fewer than
// through a directory stream.
class Entries {
public:
    explicit Entries(int fd);
    ~Entries();
    Entries(const Entries&) = delete;
    Entries& operator=(const Entries&) = delete;
    // Whether the folder could be set up for reading; errno tells why not.
    bool Ok() const { return m_ok; }
    int Fd() const { return m_fd; }
    // The next entry, or null at the end or on a failure (then errno is set,
    // and it is 0 at the end).
    const char* Next(unsigned char& type);

private:
    int m_fd;
    bool m_ok = true;
#if defined(__linux__)
    static constexpr size_t kBuf = 32768;
    std::unique_ptr<char[]> m_buf{new char[kBuf]}; // filled by the kernel, never read unset
    size_t m_at = 0, m_end = 0;
#else
    DIR* m_dir = nullptr;
#endif
};

#if defined(__linux__)
Entries::Entries(int fd) : m_fd(fd) {}

Entries::~Entries() { ::close(m_fd); }

const char* Entries::Next(unsigned char& type)
{
    if (m_at == m_end) {
        const ssize_t got = getdents64(m_fd, m_buf.get(), kBuf);
        if (got <= 0) {
            errno = got == 0 ? 0 : errno;
            return nullptr;
        }
        m_at = 0;
        m_end = size_t(got);
    }
    const auto* e = reinterpret_cast<const dirent64*>(m_buf.get() + m_at); // the kernel's record
    m_at += e->d_reclen;
    type = e->d_type;
    return e->d_name;
}
#else
Entries::Entries(int fd) : m_fd(fd), m_dir(fdopendir(fd)) { m_ok = m_dir != nullptr; }

Entries::~Entries()
{
    if (m_dir)
        closedir(m_dir);
    else
        ::close(m_fd);
}

const char* Entries::Next(unsigned char& type)
{
    errno = 0;
    const dirent* e = readdir(m_dir);
    if (!e)
        return nullptr;
    type = e->d_type;
    return e->d_name;
}
#endif

// One folder as read: its sorted files and subfolders, and what could not
// be read in it, in the order they were met.
struct Node {
    QString path;                                    // as shown in messages
    std::string rel;                                 // the bytes below the compared folder; empty for it
    bool link = false;                               // reached through a link to a folder
    enum { Waiting, Reading, Read } state = Waiting; // under the walk's lock
    bool queued = false;                             // in the queue, under the walk's lock
    bool gone = false;                               // vanished: nothing to list or report
    std::optional<WalkSkip> opening;                 // could not be opened: reported at its place
    bool listed = false;                             // opened and listed (perhaps not to the end)
    DirId id{};
    FileStamp stamp;
    std::vector<WalkSkip> skips;
    QString relShown;
    std::vector<char> names; // file names in order, each ended by a zero byte
    std::vector<WalkFile> files;
    std::vector<size_t> keys;
    std::vector<FileStamp> stamps; // when the walk keeps them
    std::vector<std::unique_ptr<Node>> subs;
    qint64 leftOutFolders = 0, leftOutFiles = 0; // by the filter
};

struct RawFile {
    size_t name; // offset in the raw name buffer
    qint64 size, mtime;
    FileStamp stamp;
};

qint64 Ns(const struct timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; }

FileStamp StampOf(const struct stat& st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), Ns(st.st_mtim), Ns(st.st_ctim)};
}

} // namespace

FileStamp StampOfOpen(QFile& f, qint64* size)
{
    struct stat st;
    if (::fstat(f.handle(), &st) != 0) {
        *size = -1;
        return {};
    }
    *size = st.st_size;
    return StampOf(st);
}

bool KeepsChangeTimes(const QString& path)
{
    struct statfs fs;
    if (::statfs(EncodeName(path).constData(), &fs) != 0)
        return false;
    // local file systems with a change time of their own (linux/magic.h)
    static constexpr unsigned long kKeep[] = {
        0xEF53,     // ext2, ext3, ext4
        0x58465342, // xfs
        0x9123683E, // btrfs
        0x01021994, // tmpfs
        0xF2F52010, // f2fs
        0x2FC12FC1, // zfs
        0x794C7630, // overlayfs
        0xCA451A4E, // bcachefs
        0x3153464A, // jfs
        0x52654973, // reiserfs
        0x3434,     // nilfs
    };
    const auto type = static_cast<unsigned long>(fs.f_type);
    return std::find(std::begin(kKeep), std::end(kKeep), type) != std::end(kKeep);
}

namespace {
struct RawDir {
    std::string name;
    bool link;
};

class Walk {
public:
    Walk(const QString& root, std::atomic<qint64>& seen, const std::atomic<bool>* stop, const WalkOptions& opt,
         const WalkFilter* filter)
            : m_root(root), m_seen(seen), m_stop(stop), m_readers(WalkReaders(opt)),
              m_filter(filter && !filter->Empty() ? filter : nullptr), m_stamps(opt.stamps)
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
        if (m_readers > 1)
            for (int i = 0; i < m_readers; ++i)
                m_threads.emplace_back([this] { Work(); });
        try {
            Assemble(root);
            // links to folders after every real folder: a folder reached
            // both ways is listed under its real path
            for (size_t i = 0; i < m_links.size(); ++i) {
                std::unique_ptr<Node> link = std::move(m_links[i]);
                Assemble(*link);
            }
        } catch (...) {
            Shutdown(); // no reader may touch the tree once it is gone
            throw;
        }
        Shutdown();
    }

    WalkResult result;

private:
    // How many files read but not yet taken the readers may hold.
    static constexpr size_t kAhead = 1 << 16;

    // A pool thread: reads queued folders while the walk is not too far
    // behind, until the walk ends.
    void Work()
    {
        std::unique_lock lk(m_mx);
        for (;;) {
            m_work.wait(lk, [&] { return m_end || (!m_queue.empty() && m_ahead < kAhead); });
            if (m_end)
                return;
            Node* n = m_queue.back();
            m_queue.pop_back();
            n->queued = false;
            ReadLocked(*n, lk);
        }
    }

    // Reads a waiting folder with the lock released; its subfolders join
    // the queue, the first on top.
    void ReadLocked(Node& n, std::unique_lock<std::mutex>& lk)
    {
        n.state = Node::Reading;
        lk.unlock();
        std::vector<Node*> more;
        std::exception_ptr err;
        try {
            if (!m_failed.load())
                Read(n, more);
        } catch (...) {
            err = std::current_exception();
        }
        lk.lock();
        if (err && !m_err)
            m_err = err;
        m_failed = m_failed || bool(err);
        for (auto it = more.rbegin(); it != more.rend(); ++it) {
            (*it)->queued = true;
            m_queue.push_back(*it);
            m_work.notify_one();
        }
        m_ahead += n.files.size();
        n.state = Node::Read;
        if (&n == m_awaited || err)
            m_done.notify_one();
    }

    // The node read, by this thread when no reader has taken it.
    void Await(Node& n)
    {
        std::unique_lock lk(m_mx);
        if (n.state == Node::Waiting) {
            if (n.queued) // taken out, so no reader meets it once it is freed
                m_queue.erase(std::find(m_queue.rbegin(), m_queue.rend(), &n).base() - 1);
            n.queued = false;
            ReadLocked(n, lk);
        }
        m_awaited = &n;
        m_done.wait(lk, [&] { return n.state == Node::Read || m_failed.load(); });
        m_awaited = nullptr;
        if (m_err)
            std::rethrow_exception(m_err);
        if (m_failed)
            ThrowStopped();
    }

    void Shutdown()
    {
        {
            std::lock_guard lk(m_mx);
            m_end = true;
        }
        m_work.notify_all();
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
        const int fd = OpenRel(n.rel);
        if (fd < 0) {
            if (Vanished(errno) && !n.rel.empty())
                n.gone = true;
            else
                n.opening = WalkSkip{n.path, ErrText(errno)};
            return;
        }
        Entries d(fd);
        struct stat st;
        if (fstat(fd, &st) != 0) {
            n.opening = WalkSkip{n.path, ErrText(errno)};
            return;
        }
        n.id = DirId{st.st_dev, st.st_ino};
        n.stamp = StampOf(st);
        if (!d.Ok()) {
            n.skips.push_back({n.path, ErrText(errno)});
            return;
        }
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
            if (!c->link) // a link waits for its turn
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
        if (m_stamps)
            n.stamps.reserve(files.size());
        for (const RawFile& f : files) {
            if (m_stamps)
                n.stamps.push_back(f.stamp);
            const char* name = &raw[f.name];
            const size_t len = std::strlen(name);
            n.files.push_back({f.size, f.mtime, 0, quint32(n.names.size())});
            n.names.insert(n.names.end(), name, name + len + 1);
            n.keys.push_back(FileKey(buf, folded, QByteArrayView(name, qsizetype(len))));
        }
    }

    void List(Entries& d, Node& n, std::vector<char>& raw, std::vector<RawFile>& files, std::vector<RawDir>& dirs)
    {
        const int dfd = d.Fd();
        unsigned char type = DT_UNKNOWN;
        while (const char* name = d.Next(type)) {
            if (m_stop && m_stop->load(std::memory_order_relaxed))
                ThrowStopped();
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0) || Aside::IsAsideName(name)))
                continue;
            if (type == DT_DIR) {
                if (!LeftOut(n, name, true))
                    dirs.push_back({name, false});
                continue;
            }
            struct stat st;
            if (fstatat(dfd, name, &st, 0) != 0 && fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                if (!Vanished(errno))
                    n.skips.push_back({JoinPath(n.path, DecodeName(name)), ErrText(errno)});
            } else if (S_ISDIR(st.st_mode)) {
                if (!LeftOut(n, name, true))
                    dirs.push_back({name, type == DT_LNK || IsLink(dfd, name, type)});
            } else if (!LeftOut(n, name, false)) {
                files.push_back({raw.size(), qint64(st.st_size), qint64(st.st_mtim.tv_sec), StampOf(st)});
                raw.insert(raw.end(), name, name + std::strlen(name) + 1);
                m_seen.fetch_add(1, std::memory_order_relaxed); // the count moves inside a big folder too
            }
        }
        if (errno != 0)
            n.skips.push_back({n.path, ErrText(errno)}); // what was read before stays listed
    }

    // Whether the filter leaves the entry out (counted in its folder's node).
    bool LeftOut(Node& n, const char* name, bool folder) const
    {
        if (!m_filter)
            return false;
        const bool out = folder ? m_filter->SkipsFolder(n.rel, name) : m_filter->SkipsFile(n.rel, name);
        if (out)
            ++(folder ? n.leftOutFolders : n.leftOutFiles);
        return out;
    }

    // Whether an entry of unknown type that leads to a folder is a link.
    static bool IsLink(int dfd, const char* name, unsigned char type)
    {
        struct stat st;
        return type == DT_UNKNOWN && fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
    }

    // Adds a folder and those below it to the result in walk order, freeing
    // each node once it is taken.
    void Assemble(Node& n)
    {
        Await(n);
        Taken(n.files.size());
        if (n.gone)
            return;
        if (n.opening) {
            result.skipped.push_back(std::move(*n.opening));
            return;
        }
        if (!m_walked.insert(n.id).second) { // reached before by another path
            for (auto& sub : n.subs)
                Discard(*sub);
            return;
        }
        for (WalkSkip& s : n.skips)
            result.skipped.push_back(std::move(s));
        result.leftOutFolders += n.leftOutFolders;
        result.leftOutFiles += n.leftOutFiles;
        if (n.listed)
            Take(n);
        for (auto& s : n.subs) {
            if (s->link) {
                m_links.push_back(std::move(s)); // its turn comes after the real folders
                continue;
            }
            Assemble(*s);
            s.reset();
        }
    }

    // The names stay in the buffer they were read into.
    // A folder below one walked before: out of the queue, or waited for when
    // a reader has it, and so with those below it, before it is freed.
    void Discard(Node& n)
    {
        {
            std::unique_lock lk(m_mx);
            if (n.queued)
                m_queue.erase(std::find(m_queue.rbegin(), m_queue.rend(), &n).base() - 1);
            n.queued = false;
            m_awaited = &n;
            m_done.wait(lk, [&] { return n.state != Node::Reading; });
            m_awaited = nullptr;
        }
        if (n.state == Node::Read)
            Taken(n.files.size());
        for (auto& sub : n.subs)
            Discard(*sub);
    }

    // Files read ahead no longer held: the readers may go on once they are
    // back under the bound.
    void Taken(size_t files)
    {
        std::lock_guard lk(m_mx);
        const bool held = m_ahead >= kAhead;
        m_ahead -= files;
        if (held && m_ahead < kAhead)
            m_work.notify_all();
    }

    void Take(Node& n)
    {
        result.AddFolder(n.relShown, std::move(n.names));
        const quint32 fi = quint32(result.folders.size() - 1);
        for (WalkFile f : n.files) {
            f.folder = fi;
            result.files.push_back(f);
        }
        result.keys.insert(result.keys.end(), n.keys.begin(), n.keys.end());
        if (m_stamps) {
            result.folderStamps.push_back(n.stamp);
            result.stamps.insert(result.stamps.end(), n.stamps.begin(), n.stamps.end());
            std::vector<FileStamp>().swap(n.stamps);
        }
        std::vector<WalkFile>().swap(n.files);
        std::vector<size_t>().swap(n.keys);
    }

    QString m_root;
    std::atomic<qint64>& m_seen;
    const std::atomic<bool>* m_stop;
    int m_readers;
    const WalkFilter* m_filter; // null: nothing left out
    bool m_stamps;
    int m_rootFd = -1;
    std::unordered_set<DirId, DirIdHash> m_walked;
    std::vector<std::unique_ptr<Node>> m_links; // links to folders met, walked after the rest

    std::mutex m_mx;
    std::condition_variable m_work; // readers wait for a folder to read
    std::condition_variable m_done; // the walk's thread waits for m_awaited
    Node* m_awaited = nullptr;
    std::vector<Node*> m_queue;
    size_t m_ahead = 0; // files read, not yet taken
    std::atomic<bool> m_failed{false};
    bool m_end = false;
    std::exception_ptr m_err;
    std::vector<std::thread> m_threads;
};
} // namespace

WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen, const std::atomic<bool>* stop,
                      const WalkOptions& opt, const WalkFilter* filter)
{
    WalkResult r;
    {
        Walk w(folder, seen, stop, opt, filter);
        w.Run();
        r = std::move(w.result);
    }
    ReturnFreedMemory();
    return r;
}
