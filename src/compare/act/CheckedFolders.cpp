#include "compare/act/CheckedFolders.h"

#include "compare/act/Trash.h"
#include "env/Aside.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
} // namespace

CheckedFolders::~CheckedFolders() { FlushAndClose(); }

CheckedFolders::End CheckedFolders::Open(int side, const QString& rel, bool make, int& fd, QString& err)
{
    if (const auto it = m_open[side].constFind(rel); it != m_open[side].constEnd()) {
        fd = *it;
        return End::Open;
    }
    if (rel.isEmpty()) { // the compared folder itself, as the user named it
        fd = ::open(EncodeName(OpenPath(m_plan.Root(side))).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            err = ErrNo();
            return End::Failed;
        }
        struct stat st;
        const FileStamp want = m_plan.folders[side].value(QString());
        if (want.ino != 0 && (::fstat(fd, &st) != 0 || st.st_ino != want.ino || st.st_dev != want.dev)) {
            ::close(fd);
            err = QStringLiteral("比較したﾌｫﾙﾀﾞではなくなりました");
            return End::Changed;
        }
        m_open[side].insert(rel, fd);
        return End::Open;
    }
    const qsizetype slash = rel.lastIndexOf(QLatin1Char('/'));
    const QString up = slash < 0 ? QString() : rel.left(slash);
    int parent = -1;
    const End e = Open(side, up, make, parent, err);
    if (e != End::Open)
        return e;
    return Step(side, parent, up, rel, EncodeName(rel.mid(slash + 1)), make, fd, err);
}

CheckedFolders::End CheckedFolders::Step(int side, int parent, const QString& up, const QString& rel,
                                         const QByteArray& name, bool make, int& fd, QString& err)
{
    const auto seen = m_plan.folders[side].constFind(rel);
    const bool compared = seen != m_plan.folders[side].constEnd();
    // a folder the walk reached through a link may be reached so again;
    // any other is never entered through a link
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (compared ? 0 : O_NOFOLLOW);
    fd = ::openat(parent, name.constData(), flags);
    if (fd < 0 && errno == ENOENT && make && !compared) {
        if (::mkdirat(parent, name.constData(), 0777) != 0 && errno != EEXIST) {
            err = ErrNo();
            return End::Failed;
        }
        MarkWritten(side, up, parent);
        fd = ::openat(parent, name.constData(), flags);
    }
    if (fd < 0) {
        const bool link = errno == ELOOP || errno == ENOTDIR || (compared && errno == ENOENT);
        err = link ? QStringLiteral("ﾌｫﾙﾀﾞがﾘﾝｸか別のものに変わりました") : ErrNo();
        return link ? End::Changed : End::Failed;
    }
    struct stat st;
    if (compared && seen->ino != 0 && (::fstat(fd, &st) != 0 || st.st_ino != seen->ino || st.st_dev != seen->dev)) {
        ::close(fd);
        err = QStringLiteral("ﾌｫﾙﾀﾞが比較の後に変わりました");
        return End::Changed;
    }
    if (InsideOther(side, fd)) { // reached through a link the walk did not follow (one left out by a filter)
        ::close(fd);
        err = QStringLiteral("もう一方の比較するﾌｫﾙﾀﾞの中です");
        return End::Changed;
    }
    m_open[side].insert(rel, fd);
    return End::Open;
}

bool CheckedFolders::InsideOther(int side, int fd)
{
    QByteArray& other = m_real[3 - side];
    if (other.isEmpty()) {
        char* r = ::realpath(EncodeName(OpenPath(m_plan.Root(3 - side))).constData(), nullptr);
        other = r ? QByteArray(r) : QByteArray("//"); // no real path holds "//"
        std::free(r);
    }
    char buf[PATH_MAX];
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(self.constData(), buf, sizeof buf);
    if (n <= 0 || size_t(n) >= sizeof buf)
        return false;
    const QByteArray at(buf, n);
    return at == other || (at.startsWith(other) && at.at(other.size()) == '/');
}

void CheckedFolders::MarkWritten(int side, const QString& rel, int fd)
{
    if (!m_written.contains(fd))
        m_written.push_back(fd);
    if (!m_cleaned[side].contains(rel)) {
        m_cleaned[side].insert(rel);
        const QString folder = rel.isEmpty() ? m_plan.Root(side) : JoinPath(m_plan.Root(side), rel);
        Aside::CleanUp(fd, [&](const char* name) { // into the trash: it may be a file of the user's
            struct stat st;
            Trash t;
            QString ignored;
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                t.Prepare(EncodeName(JoinPath(folder, DecodeName(name))), st, ignored)) {
                t.From(fd, name);
                t.Move(ignored);
            }
        });
    }
}

void CheckedFolders::FlushAndClose()
{
    for (int fd : m_written)
        Aside::SyncFolder(fd);
    m_written.clear();
    for (auto& side : m_open) {
        for (int fd : side)
            ::close(fd);
        side.clear();
    }
}
