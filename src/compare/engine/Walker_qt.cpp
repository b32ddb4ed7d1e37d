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

namespace {
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
            result.skipped.push_back({path, QStringLiteral("Permission denied")});
            return;
        }
        std::vector<Entry> files, dirs;
        QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        while (it.hasNext()) {
            if (m_stop && m_stop->load(std::memory_order_relaxed))
                ThrowStopped();
            it.next();
            QFileInfo f = it.fileInfo();
            if (LeftOut(path, f))
                continue;
            (f.isDir() ? dirs : files).push_back({f.fileName().toUtf8(), f});
            if (!f.isDir())
                m_seen.fetch_add(1, std::memory_order_relaxed);
        }
        SortByCode(files);
        SortByCode(dirs);

        result.AddFolder(RelPath(path, m_root));
        for (const Entry& e : files) {
            qint64 size = 0, mtime = 0;
            Stamp(e.info, size, mtime);
            result.AddFile(EncodeName(e.info.fileName()), size, mtime);
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

    QString m_root;
    std::atomic<qint64>& m_seen;
    const std::atomic<bool>* m_stop;
    const WalkFilter* m_filter;
    QSet<QString> m_walked;
    std::vector<QString> m_links; // links to folders met, walked after the rest
};
} // namespace

// This walker reads on one thread; opt.readers is not used.
WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen, const std::atomic<bool>* stop,
                      const WalkOptions& opt)
{
    Walk w(folder, seen, stop, opt.filter);
    w.Run();
    return std::move(w.result);
}
