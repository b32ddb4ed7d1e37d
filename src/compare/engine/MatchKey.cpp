#include "compare/engine/MatchKey.h"

#include "env/NameBytes.h"

#include <QHash>
#include <algorithm>

namespace {
bool IsAscii(QByteArrayView s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}
} // namespace

QString FolderKey(const QString& relFolder) { return FoldName(relFolder) + QChar(0); }

size_t FileKey(QString& buf, const QString& folded, QByteArrayView name)
{
    if (!IsAscii(name)) {
        buf = folded + FoldName(DecodeName(name.data(), name.size()));
        return qHash(buf, 0);
    }
    // an ASCII name folds letter by letter, without a decoded copy
    buf.resize(folded.size() + name.size());
    QChar* out = buf.data();
    std::copy(folded.begin(), folded.end(), out);
    out += folded.size();
    for (char c : name)
        *out++ = QLatin1Char(c >= 'A' && c <= 'Z' ? char(c + 32) : c);
    return qHash(buf, 0);
}
