#include "compare/act/FileData.h"

#include "env/Error.h"
#include "env/NameBytes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr qint64 kPiece = qint64(8) << 20; // the most copied between two looks at `stop`
constexpr size_t kBuffer = size_t(1) << 20;

// Failures of FICLONE that only mean the file system (or this pair of files)
// cannot clone; out is untouched and the data is copied instead.
bool NoClone(int e)
{
    return e == EOPNOTSUPP || e == ENOTTY || e == EXDEV || e == EINVAL || e == EBADF || e == ENOSYS || e == EPERM ||
           e == ETXTBSY;
}

// Failures of copy_file_range that only mean the kernel cannot copy between
// these two files; read and write can.
bool NoKernelCopy(int e) { return e == EXDEV || e == EINVAL || e == ENOSYS || e == EOPNOTSUPP || e == EPERM; }

// Copies byte ranges from in to out at the same offsets, so what lies
// between two ranges stays a hole in out.
class RangeCopy {
public:
    RangeCopy(int in, int out, const std::atomic<bool>& stop, std::atomic<qint64>& bytes)
            : m_in(in), m_out(out), m_stop(stop), m_bytes(bytes)
    {
    }
    // The bytes [from, to) of in; errno (or m_short) tells a failure.
    CopyEnd Copy(qint64 from, qint64 to)
    {
        while (from < to) {
            if (m_stop.load(std::memory_order_relaxed))
                return CopyEnd::Stopped;
            const ssize_t n = Piece(from, size_t(std::min(to - from, kPiece)));
            if (n <= 0) {
                m_short = n == 0; // the file ended before its size: it shrank while we copied
                return CopyEnd::Failed;
            }
            from += n;
            m_end = from;
            m_bytes.fetch_add(n, std::memory_order_relaxed);
        }
        return CopyEnd::Done;
    }
    bool Short() const { return m_short; }
    // The size out has now: where the last byte written ends.
    qint64 End() const { return m_end; }

private:
    // Up to n bytes at `at`: how many were copied, 0 at the end of in, -1
    // with errno.
    ssize_t Piece(qint64 at, size_t n)
    {
        while (m_kernel) {
            loff_t i = at, o = at;
            const ssize_t got = ::copy_file_range(m_in, &i, m_out, &o, n, 0);
            if (got > 0)
                return got;
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && !NoKernelCopy(errno))
                return -1;
            // Not offered here, or 0 where the file still has data (some
            // file systems answer so): read and write from now on; a read
            // of 0 there is the true end.
            m_kernel = false;
        }
        if (!m_buf)
            m_buf.reset(new char[kBuffer]);
        n = std::min(n, kBuffer);
        ssize_t got;
        do
            got = ::pread(m_in, m_buf.get(), n, at);
        while (got < 0 && errno == EINTR);
        for (ssize_t done = 0; done < got;) {
            const ssize_t w = ::pwrite(m_out, m_buf.get() + done, size_t(got - done), at + done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return -1;
            done += w;
        }
        return got;
    }

    const int m_in, m_out;
    const std::atomic<bool>& m_stop;
    std::atomic<qint64>& m_bytes;
    bool m_kernel = true;
    bool m_short = false;
    qint64 m_end = 0;
    std::unique_ptr<char[]> m_buf; // only when read and write are needed
};

// The ranges of in that hold data, each copied; the rest of out left a hole
// up to `size`.
CopyEnd CopyDataRanges(RangeCopy& copy, int in, qint64 size)
{
    qint64 at = 0;
    while (at < size) {
        qint64 data = ::lseek(in, at, SEEK_DATA), hole = size;
        if (data < 0 && errno == ENXIO)
            break; // a hole to the end
        if (data < 0 && errno != EINVAL)
            return CopyEnd::Failed;
        if (data < 0)
            data = at; // the file system cannot tell its holes: all of it as data
        else if (data >= size)
            break;
        else if ((hole = ::lseek(in, data, SEEK_HOLE)) < 0)
            return CopyEnd::Failed;
        hole = std::min(hole, size); // the file may have grown since its fstat
        const CopyEnd end = copy.Copy(data, hole);
        if (end != CopyEnd::Done)
            return end;
        at = hole;
    }
    return CopyEnd::Done;
}

// Calls get(buffer, size) as the *xattr functions are called, growing buf
// until the answer fits: the length of the answer, or -1 with errno.
template <class Get>
ssize_t Fetch(std::vector<char>& buf, Get get)
{
    for (;;) {
        const ssize_t n = get(buf.data(), buf.size());
        if (n >= 0 || errno != ERANGE)
            return n;
        const ssize_t need = get(nullptr, 0);
        if (need < 0)
            return need;
        buf.resize(size_t(need) + 256); // room should it grow meanwhile
    }
}
} // namespace

CopyEnd CopyFileData(int in, const struct stat& st, int out, const std::atomic<bool>& stop, std::atomic<qint64>& bytes,
                     QString& err)
{
    if (stop.load(std::memory_order_relaxed)) {
        err = QStringLiteral("中止しました");
        return CopyEnd::Stopped;
    }
    if (st.st_size > 0) {
        if (::ioctl(out, FICLONE, in) == 0) {
            bytes.fetch_add(st.st_size, std::memory_order_relaxed);
            return CopyEnd::Done;
        }
        if (!NoClone(errno)) {
            err = ErrText(errno);
            return CopyEnd::Failed;
        }
    }
    RangeCopy copy(in, out, stop, bytes);
    CopyEnd end = CopyDataRanges(copy, in, st.st_size);
    // The size last: a hole at the end has no range that would set it.
    if (end == CopyEnd::Done && copy.End() != st.st_size && ::ftruncate(out, st.st_size) != 0)
        end = CopyEnd::Failed;
    if (end == CopyEnd::Stopped)
        err = QStringLiteral("中止しました");
    else if (end == CopyEnd::Failed)
        err = copy.Short() ? QStringLiteral("ｺﾋﾟｰ中にﾌｧｲﾙが短くなりました") : ErrText(errno);
    return end;
}

QString CopyXattrs(int in, int out)
{
    std::vector<char> names(4096), value(4096);
    const ssize_t len = Fetch(names, [in](char* p, size_t n) { return ::flistxattr(in, p, n); });
    if (len < 0 && (errno == ENOTSUP || errno == ENOSYS))
        return QString(); // the source's file system has none
    if (len < 0)
        return QStringLiteral("拡張属性を読めません (%1)").arg(ErrText(errno));
    std::vector<std::pair<int, QString>> refused; // errno, names
    for (const char* name = names.data(); name < names.data() + len; name += std::strlen(name) + 1) {
        const ssize_t size = Fetch(value, [in, name](char* p, size_t n) { return ::fgetxattr(in, name, p, n); });
        if (size < 0 && errno == ENODATA)
            continue; // removed since it was listed
        if (size >= 0 && ::fsetxattr(out, name, value.data(), size_t(size), 0) == 0)
            continue;
        const int e = errno;
        auto same = std::find_if(refused.begin(), refused.end(), [e](const auto& r) { return r.first == e; });
        if (same == refused.end())
            same = refused.insert(refused.end(), {e, QString()});
        else
            same->second += QStringLiteral(", ");
        same->second += ShownName(DecodeName(name));
    }
    if (refused.empty())
        return QString();
    QString note = QStringLiteral("拡張属性をｺﾋﾟｰできません: ");
    for (const auto& [e, list] : refused)
        note += (&list == &refused.front().second ? QString() : QStringLiteral("; ")) + list + QStringLiteral(" (") +
                ErrText(e) + QLatin1Char(')');
    return note;
}

bool CopyModeAndTimes(int out, const struct stat& st, QString& err)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out, st.st_mode & 07777) != 0 || ::futimens(out, times) != 0) {
        err = ErrText(errno);
        return false;
    }
    return true;
}
