#include "compare/engine/WalkFilter.h"
#include "compare/engine/Walker.h"

#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cerrno>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
// The program's temporary files (see env/Aside.h) are never listed.
bool IsOwnTemporary(const QString& name)
{
    return name.startsWith(QLatin1String(".fldcmpr-")) && name.endsWith(QLatin1String(".tmp")) && name.size() == 21;
}

// What the file system says of a path's identity and times; zeros where it
// cannot tell.
FileStamp StampOf(const QString& path)
{
    FileStamp s;
#ifdef Q_OS_UNIX
    struct stat st;
    if (::stat(EncodeName(path).constData(), &st) == 0)
        s = {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
             qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
#else
    const QFileInfo f(path);
    s.mtimeNs = f.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
    return s;
}

struct Entry {
    QByteArray key; // the name in UTF-8: sorting on it gives code-point order
    QFileInfo info;
};

void SortByCode(std::vector<Entry>& v)
{
    std::sort(v.begin(), v.end(), [](const Entry& a, const Entry& b) { return a.key < b.key; });
}

// A link whose target is missing is listed as a file with the link's own
// size, as the POSIX walker lists it; Qt cannot read such a link's own time,
// so it stays 0.
void Stamp(const QFileInfo& f, qint64& size, qint64& mtime)
{
    if (f.isSymLink() && !f.exists()) {
        size = f.symLinkTarget().toUtf8().size();
        mtime = 0;
        return;
    }
    size = f.size();
    mtime = f.lastModified().toSecsSinceEpoch();
}

class Walk {
public:
    Walk(const QString& root, std::atomic<qint64>& seen, const std::atomic<bool>* stop, const WalkFilter* filter)
            : m_root(root), m_seen(seen), m_stop(stop), m_filter(filter && !filter->Empty() ? filter : nullptr)
    {
    }
    void Run()
    {
        const QString open = OpenPath(m_root);
        if (!QFileInfo(open).isDir())
            Fail(open);
        Folder(open);
        // links to folders after every real folder: a folder reached both
        // ways is listed under its real path
        for (size_t i = 0; i < m_links.size(); ++i)
            Folder(QString(m_links[i]));
    }
    WalkResult result;

private:
    [[noreturn]] static void Fail(const QString& path)
    {
        throw FcError(ErrKind::FileSystem, QStringLiteral("ﾌｫﾙﾀﾞを読めません: ") + path);
    }

    void Folder(const QString& path)
    {
        const QString canon = QFileInfo(path).canonicalFilePath();
        if (canon.isEmpty() || !QFileInfo(canon).isDir())
            return; // removed or turned into a file while the walk went on
        if (m_walked.contains(canon))
            return; // reached before by another path
        m_walked.insert(canon);
        if (!QDir(path).isReadable()) {
            result.skipped.push_back({path, ErrText(EACCES)}); // the system's text, as the other walker gives it
            return;
        }
        std::vector<Entry> files, dirs;
        QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        while (it.hasNext()) {
            if (m_stop && m_stop->load(std::memory_order_relaxed))
                ThrowStopped();
            it.next();
            QFileInfo f = it.fileInfo();
            if (LeftOut(path, f) || IsOwnTemporary(f.fileName()))
                continue;
            (f.isDir() ? dirs : files).push_back({f.fileName().toUtf8(), f});
            if (!f.isDir())
                m_seen.fetch_add(1, std::memory_order_relaxed);
        }
        SortByCode(files);
        SortByCode(dirs);

        result.AddFolder(RelPath(path, m_root));
        if (stamps)
            result.folderStamps.push_back(StampOf(path));
        for (const Entry& e : files) {
            qint64 size = 0, mtime = 0;
            Stamp(e.info, size, mtime);
            result.AddFile(EncodeName(e.info.fileName()), size, mtime);
            if (stamps)
                result.stamps.push_back(StampOf(e.info.filePath()));
        }
        for (const Entry& d : dirs) {
            const QString sub = JoinPath(path, d.info.fileName());
            if (d.info.isSymLink())
                m_links.push_back(sub);
            else
                Folder(sub);
        }
    }

    // Whether the filter leaves the entry out, counting it.
    bool LeftOut(const QString& folder, const QFileInfo& f)
    {
        if (!m_filter)
            return false;
        const std::string name = EncodeName(f.fileName()).toStdString();
        const std::string rel = EncodeName(RelPath(folder, m_root)).toStdString();
        const bool out = f.isDir() ? m_filter->SkipsFolder(rel, name) : m_filter->SkipsFile(rel, name);
        if (out)
            ++(f.isDir() ? result.leftOutFolders : result.leftOutFiles);
        return out;
    }

public:
    bool stamps = false;

private:
    QString m_root;
    std::atomic<qint64>& m_seen;
    const std::atomic<bool>* m_stop;
    const WalkFilter* m_filter;
    QSet<QString> m_walked;
    std::vector<QString> m_links; // links to folders met, walked after the rest
};
} // namespace

bool KeepsChangeTimes(const QString&) { return false; } // not known here: no digest is kept

FileStamp StampOfOpen(QFile& f, qint64* size)
{
    *size = f.size();
    return StampOf(f.fileName());
}

// This walker reads on one thread; opt.readers is not used.
WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen, const std::atomic<bool>* stop,
                      const WalkOptions& opt, const WalkFilter* filter)
{
    Walk w(folder, seen, stop, filter);
    w.stamps = opt.stamps;
    w.Run();
    return std::move(w.result);
}
