#include "compare/act/Trash.h"

#include "env/Aside.h"
#include "env/Error.h"
#include "env/NameBytes.h"
#include "env/PathRules.h"

#include <QDateTime>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
const QByteArray kInfoExt = QByteArrayLiteral(".trashinfo");

// "what: path (why)", the path shown as the file lists show it, why from
// the error number at the call.
QString Failure(const char16_t* what, const QByteArray& path)
{
    const QString why = ErrNo();
    return QString::fromUtf16(what) + QStringLiteral(": ") + ShownName(DecodeName(path)) + QStringLiteral(" (") + why +
           QLatin1Char(')');
}

// The device of path, or of its nearest existing folder up.
dev_t DeviceOf(QByteArray path)
{
    struct stat st;
    while (::stat(path.constData(), &st) != 0) {
        const qsizetype slash = path.lastIndexOf('/');
        if (path == "/" || slash < 0)
            return dev_t(-1);
        path = slash == 0 ? QByteArray("/") : path.left(slash);
    }
    return st.st_dev;
}

// The top folder of the file system holding path: the last folder up from
// it still on device dev. Empty for the root.
QByteArray TopOf(const QByteArray& path, dev_t dev)
{
    QByteArray top = path.left(path.lastIndexOf('/'));
    while (!top.isEmpty()) {
        const QByteArray up = top.left(top.lastIndexOf('/'));
        struct stat st;
        if (::stat(up.isEmpty() ? "/" : up.constData(), &st) != 0 || st.st_dev != dev)
            break;
        top = up;
    }
    return top;
}

// The first n bytes of s or fewer, never ending inside a UTF-8 sequence (of
// at most four bytes; a name that is not UTF-8 is cut where it must be).
QByteArray CutBytes(const QByteArray& s, qsizetype n)
{
    if (s.size() <= n)
        return s;
    for (int back = 0; back < 3 && n > 0 && (uchar(s[n]) & 0xC0) == 0x80; ++back)
        --n;
    return s.left(n);
}

// The n-th name tried for a file in the trash: its own, then with " 2",
// " 3"... before the extension, so it still opens as what it is. The name
// and ".trashinfo" fit in `limit` bytes: the base name is shortened, and
// the extension kept where it fits. Empty where no name fits.
QByteArray Candidate(const QByteArray& base, int n, qsizetype limit)
{
    const QByteArray tail = n == 1 ? QByteArray() : ' ' + QByteArray::number(n);
    const qsizetype room = limit - kInfoExt.size() - tail.size();
    if (room < 1)
        return {};
    const qsizetype dot = base.lastIndexOf('.');
    if (dot > 0 && base.size() - dot < room) {
        const QByteArray stem = CutBytes(base.left(dot), room - (base.size() - dot));
        if (!stem.isEmpty())
            return stem + tail + base.mid(dot);
    }
    const QByteArray cut = CutBytes(base, room);
    return cut.isEmpty() ? cut : cut + tail;
}

QByteArray InfoText(const QByteArray& path)
{
    return "[Trash Info]\nPath=" + path.toPercentEncoding("/") + "\nDeletionDate=" +
           QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() + '\n';
}

bool WriteAll(int fd, const QByteArray& bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t w = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        done += w;
    }
    return true;
}

} // namespace

bool Trash::Prepare(const QByteArray& absPath, const struct stat& st, QString& err, bool flush)
{
    Forget();
    m_path = absPath;
    m_dir = AT_FDCWD;
    m_at = absPath;
    const QByteArray base = absPath.mid(absPath.lastIndexOf('/') + 1);
    if (!absPath.startsWith('/') || base.isEmpty() || base == "." || base == "..") {
        err = QStringLiteral("ごみ箱に入れられない名前です: ") + ShownName(DecodeName(absPath));
        return false;
    }
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    m_trash = home.isEmpty() ? QByteArray() : EncodeName(home + QStringLiteral("/Trash"));
    if (!m_trash.isEmpty() && DeviceOf(m_trash) == st.st_dev) {
        if (!Aside::MakeFolders(m_trash)) {
            err = Failure(u"ごみ箱を作れません", m_trash);
            return false;
        }
    } else {
        // the volume's own trash: a folder of this user's, never a link
        // someone else put there to take the files
        m_trash = TopOf(absPath, st.st_dev) + "/.Trash-" + QByteArray::number(::getuid());
        struct stat t;
        if (::mkdir(m_trash.constData(), 0700) != 0 && errno != EEXIST) {
            err = Failure(u"ごみ箱を作れません", m_trash);
            return false;
        }
        if (::lstat(m_trash.constData(), &t) != 0 || !S_ISDIR(t.st_mode) || t.st_uid != ::getuid()) {
            err = QStringLiteral("ごみ箱を使えません (ﾕｰｻﾞｰのﾌｫﾙﾀﾞではありません): ") + ShownName(DecodeName(m_trash));
            return false;
        }
    }
    for (const QByteArray& sub : {FilesFolder(), InfoFolder()})
        if (::mkdir(sub.constData(), 0700) != 0 && errno != EEXIST) {
            err = Failure(u"ごみ箱を作れません", sub);
            return false;
        }
    return Reserve(err, flush);
}

bool Trash::Reserve(QString& err, bool flush)
{
    const QByteArray base = m_path.mid(m_path.lastIndexOf('/') + 1);
    const QByteArray files = FilesFolder() + '/', info = InfoFolder() + '/';
    const long nameMax = ::pathconf(InfoFolder().constData(), _PC_NAME_MAX);
    qsizetype limit = nameMax > 0 ? qsizetype(nameMax) : 255;
    for (int n = 1; n <= 10000;) {
        const QByteArray name = Candidate(base, n, limit);
        if (name.isEmpty())
            break;
        struct stat st;
        // a name in files/ is taken even without its info file
        if (::lstat((files + name).constData(), &st) == 0) {
            ++n;
            continue;
        }
        const QByteArray infoPath = info + name + kInfoExt;
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) {
            ++n;
            continue;
        }
        if (fd < 0 && errno == ENAMETOOLONG) { // a limit the file system did not tell (vfat counts UTF-16)
            limit = name.size() + kInfoExt.size() - 1;
            continue;
        }
        if (fd < 0) {
            err = Failure(u"ごみ箱の情報ﾌｧｲﾙを作れません", infoPath);
            return false;
        }
        bool ok = WriteAll(fd, InfoText(m_path)) && (!flush || ::fsync(fd) == 0);
        int why = errno;
        if (::close(fd) != 0 && ok) {
            ok = false;
            why = errno;
        }
        if (!ok) {
            errno = why;
            err = Failure(u"ごみ箱の情報ﾌｧｲﾙを書けません", infoPath);
            ::unlink(infoPath.constData());
            return false;
        }
        if (flush)
            Aside::SyncFolderAt(InfoFolder()); // the info file lasts before the file goes in
        m_info = infoPath;
        m_files = files + name;
        m_state = State::Reserved;
        return true;
    }
    err = QStringLiteral("ごみ箱に空きの名前がありません: ") + ShownName(DecodeName(m_trash));
    return false;
}

bool Trash::Move(QString& err)
{
    if (m_state != State::Reserved) {
        err = QStringLiteral("ごみ箱の場所が用意されていません");
        return false;
    }
    const Aside::Place placed = Aside::RenameNoReplace(m_dir, m_at.constData(), AT_FDCWD, m_files.constData());
    if (placed != Aside::Place::Done) {
        if (placed == Aside::Place::Exists)
            errno = EEXIST;
        err = errno == EXDEV ? Failure(u"ごみ箱が別のﾄﾞﾗｲﾌﾞにあります", m_trash) : ErrNo();
        Undo();
        return false;
    }
    m_state = State::Moved;
    return true;
}

Trash::LinkEnd Trash::Link(QString& err)
{
    if (m_state != State::Reserved) {
        err = QStringLiteral("ごみ箱の場所が用意されていません");
        return LinkEnd::Failed;
    }
    if (::linkat(m_dir, m_at.constData(), AT_FDCWD, m_files.constData(), 0) == 0) {
        m_state = State::Linked;
        return LinkEnd::Done;
    }
    const bool unsupported = Aside::NoHardLinks(errno);
    err = ErrNo();
    if (unsupported)
        return LinkEnd::Unsupported;
    Undo();
    return LinkEnd::Failed;
}

void Trash::Undo()
{
    if (m_state == State::Linked) {
        // the second name goes only while the file still stands at its
        // place: once something took its place, the trash holds the only
        // name of the old file, and it stays there whole with its info file
        struct stat inTrash, inPlace;
        if (::lstat(m_files.constData(), &inTrash) == 0) {
            if (::fstatat(m_dir, m_at.constData(), &inPlace, AT_SYMLINK_NOFOLLOW) != 0 ||
                inTrash.st_ino != inPlace.st_ino || inTrash.st_dev != inPlace.st_dev) {
                m_state = State::Moved;
                return;
            }
            ::unlink(m_files.constData());
        }
    }
    if (m_state == State::Reserved || m_state == State::Linked) {
        ::unlink(m_info.constData());
        Forget();
    }
}

void Trash::From(int dirfd, const QByteArray& name)
{
    m_dir = dirfd;
    m_at = name;
}

void Trash::Forget()
{
    m_files.clear();
    m_info.clear();
    m_state = State::None;
}

bool MoveToTrash(const QString& path, QString& err)
{
    const QByteArray abs = EncodeName(AbsolutePath(path, CurrentFolder()));
    struct stat st;
    if (::lstat(abs.constData(), &st) != 0) {
        err = ErrNo();
        return false;
    }
    Trash trash;
    if (!trash.Prepare(abs, st, err) || !trash.Move(err))
        return false;
    Aside::SyncFolderAt(trash.FilesFolder());
    Aside::SyncFolderAt(abs.left(qMax(abs.lastIndexOf('/'), qsizetype(1))));
    return true;
}
