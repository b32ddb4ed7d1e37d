#include "compare/act/Trash.h"

#include "env/NameBytes.h"

#include <QDateTime>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString ErrNo() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool MakeFolder(const QByteArray& p, mode_t mode) { return ::mkdir(p.constData(), mode) == 0 || errno == EEXIST; }

// The user's trash: $XDG_DATA_HOME/Trash.
QByteArray HomeTrash()
{
    return EncodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash"));
}

// The top folder of the file system holding path: the last folder up
// from it on the same device.
QByteArray TopOf(const QByteArray& path, dev_t dev)
{
    QByteArray top = path.left(path.lastIndexOf('/'));
    for (;;) {
        const qsizetype slash = top.lastIndexOf('/');
        const QByteArray up = slash <= 0 ? QByteArray("/") : top.left(slash);
        struct stat st;
        if (top == "/" || top.isEmpty() || ::stat(up.constData(), &st) != 0 || st.st_dev != dev)
            return top.isEmpty() ? QByteArray("/") : top;
        top = up;
    }
}

// The trash a file on device dev goes to: the user's where it is on that
// device, otherwise the volume's $topdir/.Trash-$uid.
QByteArray TrashFor(const QByteArray& path, dev_t dev)
{
    const QByteArray home = HomeTrash();
    QByteArray probe = home;
    struct stat st;
    while (::stat(probe.constData(), &st) != 0 && probe.lastIndexOf('/') > 0)
        probe = probe.left(probe.lastIndexOf('/'));
    if (st.st_dev == dev)
        return home;
    const QByteArray top = TopOf(path, dev);
    return (top == "/" ? QByteArray() : top) + "/.Trash-" + QByteArray::number(::getuid());
}

QByteArray InfoText(const QByteArray& path)
{
    return "[Trash Info]\nPath=" + QUrl::toPercentEncoding(QString::fromLatin1(path), "/") +
           "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toLatin1() + "\n";
}
} // namespace

bool Trash::Prepare(const QString& path, QString& err)
{
    m_path = EncodeName(path);
    struct stat st;
    if (::lstat(m_path.constData(), &st) != 0) {
        err = ErrNo();
        return false;
    }
    return Reserve(TrashFor(m_path, st.st_dev), err);
}

bool Trash::Reserve(const QByteArray& trash, QString& err)
{
    const qsizetype slash = trash.lastIndexOf('/');
    if (!MakeFolder(trash.left(slash), 0700) || !MakeFolder(trash, 0700) || !MakeFolder(trash + "/files", 0700) ||
        !MakeFolder(trash + "/info", 0700)) {
        err = QStringLiteral("ごみ箱を作れません: ") + DecodeName(trash) + QStringLiteral(" (") + ErrNo() +
              QLatin1Char(')');
        return false;
    }
    const QByteArray base = m_path.mid(m_path.lastIndexOf('/') + 1);
    for (int n = 1; n < 10000; ++n) {
        const QByteArray name = n == 1 ? base : base + ' ' + QByteArray::number(n);
        const QByteArray info = trash + "/info/" + name + ".trashinfo";
        const int fd = ::open(info.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            err = ErrNo();
            return false;
        }
        const QByteArray text = InfoText(m_path);
        const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size() && ::fsync(fd) == 0;
        ::close(fd);
        if (!ok) {
            err = ErrNo();
            ::unlink(info.constData());
            return false;
        }
        m_info = info;
        m_files = trash + "/files/" + name;
        return true;
    }
    err = QStringLiteral("ごみ箱に空きの名前がありません");
    return false;
}

bool Trash::Move(QString& err) { return Put(::rename, err); }

bool Trash::Link(QString& err) { return Put(::link, err); }

bool Trash::Put(int (*op)(const char*, const char*), QString& err)
{
    if (op(m_path.constData(), m_files.constData()) == 0)
        return true;
    err = ErrNo();
    Undo();
    return false;
}

void Trash::Undo()
{
    struct stat inTrash, inPlace;
    // the second name goes only while the file still stands at its place
    if (!m_files.isEmpty() && ::lstat(m_files.constData(), &inTrash) == 0 &&
        ::lstat(m_path.constData(), &inPlace) == 0 && inTrash.st_ino == inPlace.st_ino &&
        inTrash.st_dev == inPlace.st_dev)
        ::unlink(m_files.constData());
    if (!m_info.isEmpty())
        ::unlink(m_info.constData());
    m_info.clear();
    m_files.clear();
}
