#include "cli/Output.h"

#include "env/Error.h"

#include <cerrno>
#include <cstring>

namespace {
[[noreturn]] void Failed()
{
    if (errno == EPIPE)
        throw OutputClosed{};
    throw FcError(ErrKind::FileSystem, QStringLiteral("出力に書き込めません (") +
                                           QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char(')'));
}
} // namespace

void Output::Write(const char* p, size_t n)
{
    if (n != 0 && std::fwrite(p, 1, n, m_f) != n)
        Failed();
}

void Output::Put(const QByteArray& bytes)
{
    Flush();
    Write(bytes.constData(), size_t(bytes.size()));
}

void Output::Flush()
{
    if (!m_text.isEmpty()) {
        const QByteArray b = m_text.toUtf8();
        m_text.resize(0); // its room is kept for the next piece
        Write(b.constData(), size_t(b.size()));
    }
    if (std::fflush(m_f) != 0)
        Failed();
}

QByteArray Output::Take()
{
    QByteArray b = m_text.toUtf8();
    m_text.resize(0);
    return b;
}
