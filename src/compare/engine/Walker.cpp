#include "compare/engine/Walker.h"

#include "env/Error.h"
#include "env/NameBytes.h"

#include <algorithm>
#include <thread>

void ThrowStopped() { throw FcError(ErrKind::Stopped, QStringLiteral("比較を中止しました")); }

QString WalkResult::Name(const WalkFile& f) const { return DecodeName(NameBytes(f)); }

void WalkResult::AddFolder(const QString& rel, std::vector<char> folderNames)
{
    folders.push_back(rel);
    names.push_back(std::move(folderNames));
}

void WalkResult::AddFile(QByteArrayView name, qint64 size, qint64 mtime)
{
    std::vector<char>& buf = names.back();
    const quint32 off = quint32(buf.size());
    buf.insert(buf.end(), name.begin(), name.end());
    buf.push_back(0);
    files.push_back({size, mtime, quint32(folders.size() - 1), off});
}

int WalkReaders(const WalkOptions& opt)
{
    if (opt.readers > 0)
        return opt.readers;
    return int(std::clamp(std::thread::hardware_concurrency() * 2, 2u, 8u));
}
