#include "compare/Walker.h"

#include "env/Error.h"
#include "env/PathRules.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {
class Walk {
public:
    Walk(const QString& root, std::atomic<qint64>& seen) : m_root(root), m_seen(seen) {}
    void Run() { Folder(OpenPath(m_root)); }
    WalkResult result;

private:
    void Folder(const QString& path)
    {
        QString canon = QFileInfo(path).canonicalFilePath();
        if (std::find(m_stack.begin(), m_stack.end(), canon) != m_stack.end())
            return;
        QDir d(path);
        if (!d.exists() || !d.isReadable())
            throw FcError(ErrKind::FileSystem, QStringLiteral("ﾌｫﾙﾀﾞを読めません: ") + path);
        const QFileInfoList files =
            d.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
        const QStringList dirs =
            d.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
        quint32 fi = quint32(result.folders.size());
        result.folders.push_back(RelPath(path, m_root));
        for (const QFileInfo& f : files)
            result.files.push_back({fi, f.fileName(), f.size(), f.lastModified().toSecsSinceEpoch()});
        m_seen.fetch_add(qint64(files.size()), std::memory_order_relaxed);
        m_stack.push_back(canon);
        for (const QString& sub : dirs)
            Folder(JoinPath(path, sub));
        m_stack.pop_back();
    }

    QString m_root;
    std::atomic<qint64>& m_seen;
    std::vector<QString> m_stack;
};
} // namespace

WalkResult WalkFolder(const QString& folder, std::atomic<qint64>& seen)
{
    Walk w(folder, seen);
    w.Run();
    return std::move(w.result);
}
