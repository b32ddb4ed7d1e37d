#include "app/state/LaunchRecord.h"

#include "env/CodePage.h"
#include "env/DirList.h"
#include "env/Error.h"
#include "env/Fso.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QtEndian>

namespace {
// Reads little-endian fields from the front of a byte array; fields past
// the end read as zero or empty.
class Reader {
public:
    Reader(const QByteArray& b, const std::function<bool(const QString&)>& folderExists)
            : m_b(b), m_exists(folderExists)
    {
    }
    qint32 I32()
    {
        if (m_pos + 4 > m_b.size()) {
            m_pos = m_b.size();
            return 0;
        }
        qint32 v = qFromLittleEndian<qint32>(m_b.constData() + m_pos);
        m_pos += 4;
        return v;
    }
    QString Text()
    {
        if (m_pos + 2 > m_b.size()) {
            m_pos = m_b.size();
            return QString();
        }
        quint16 len = qFromLittleEndian<quint16>(m_b.constData() + m_pos);
        m_pos += 2;
        QByteArray raw = m_b.mid(m_pos, len);
        m_pos += raw.size();
        // a folder of exactly these bytes is the one meant, whatever
        // system wrote the name
        if (m_exists) {
            const QString asBytes = DecodeName(raw);
            if (m_exists(asBytes))
                return asBytes;
        }
        return CodePage::Decode(raw);
    }

private:
    const QByteArray& m_b;
    const std::function<bool(const QString&)>& m_exists;
    qsizetype m_pos = 0;
};
} // namespace

LaunchRecord ParseLaunchRecord(const QByteArray& bytes, const std::function<bool(const QString&)>& folderExists)
{
    Reader rd(bytes, folderExists);
    LaunchRecord r;
    r.LEFT = rd.I32();
    r.TOP = rd.I32();
    r.WIDTH = rd.I32();
    r.HEIGHT = rd.I32();
    r.ROOT = rd.Text();
    r.PATH = rd.Text();
    return r;
}

LaunchRecord ReadLaunchFile(const QString& path)
{
    // One record is at most 16 + 2 + 65535 + 2 + 65535 bytes.
    QByteArray bytes;
    QString err;
    if (!DirList::ReadSmallFile(path, 16 + 2 * (2 + 65535), bytes, err))
        throw FcError(ErrKind::FileSystem,
                      QStringLiteral("起動ﾌｧｲﾙを読めません: ") + path + QStringLiteral(" (") + err + QLatin1Char(')'));
    const Fso fs;
    return ParseLaunchRecord(bytes, [&fs](const QString& p) { return fs.FolderExists(OpenPath(p)); });
}

bool LaunchRecordUsable(const LaunchRecord& r) { return r.WIDTH > 0 && r.HEIGHT > 0; }
