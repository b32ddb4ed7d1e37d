#include "app/state/LaunchRecord.h"

#include "env/CodePage.h"
#include "env/DirList.h"
#include "env/Error.h"

#include <QFile>
#include <QtEndian>

namespace {
// Reads little-endian fields from the front of a byte array; fields past
// the end read as zero or empty.
class Reader {
public:
    explicit Reader(const QByteArray& b) : m_b(b) {}
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
        return CodePage::Decode(raw);
    }

private:
    const QByteArray& m_b;
    qsizetype m_pos = 0;
};
} // namespace

LaunchRecord ParseLaunchRecord(const QByteArray& bytes)
{
    Reader rd(bytes);
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
    QFile f;
    QString err;
    if (!DirList::Open(f, path, QIODevice::ReadOnly, err))
        throw FcError(ErrKind::FileSystem,
                      QStringLiteral("起動ﾌｧｲﾙを読めません: ") + path + QStringLiteral(" (") + err + QLatin1Char(')'));
    // One record is at most 16 + 2 + 65535 + 2 + 65535 bytes.
    QByteArray bytes = f.read(16 + 2 * (2 + 65535));
    if (f.error() != QFileDevice::NoError)
        throw FcError(ErrKind::FileSystem, QStringLiteral("起動ﾌｧｲﾙを読めません: ") + path + QStringLiteral(" (") +
                                               f.errorString() + QLatin1Char(')'));
    return ParseLaunchRecord(bytes);
}

bool LaunchRecordUsable(const LaunchRecord& r) { return r.WIDTH > 0 && r.HEIGHT > 0; }
