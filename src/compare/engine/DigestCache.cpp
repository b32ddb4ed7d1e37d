#include "compare/engine/DigestCache.h"

#include "env/Aside.h"
#include "env/Error.h"
#include "env/NameBytes.h"

#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <numeric>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace {
constexpr char kMagic[8] = {'F', 'C', 'D', 'I', 'G', 'E', 'S', 'T'};
constexpr quint32 kVersion = 2;
constexpr size_t kHeaderSize = 40, kRecordSize = 60;
constexpr size_t kBlockRecords = 1 << 14; // about 1 MiB a read or write
constexpr qint64 kDayNs = 86'400'000'000'000;
// How old an entry's last-seen day may be before a lookup that finds it
// renews it (well inside the days an entry is kept).
constexpr qint64 kRenewDays = 7;

using Entry = DigestCache::Entry;
using Id = std::pair<quint64, quint64>; // dev, ino

struct Xxh3Free {
    void operator()(XXH3_state_t* s) const { XXH3_freeState(s); }
};
using Xxh3 = std::unique_ptr<XXH3_state_t, Xxh3Free>;

Xxh3 NewXxh3()
{
    XXH3_state_t* s = XXH3_createState();
    if (!s)
        throw std::bad_alloc();
    return Xxh3(s);
}

// A descriptor closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

quint64 U64(const uchar* p) { return qFromLittleEndian<quint64>(p); }
qint64 I64(const uchar* p) { return qFromLittleEndian<qint64>(p); }
Id IdOf(const uchar* rec) { return {U64(rec), U64(rec + 8)}; }
Id IdOf(const Entry& e) { return {e.key.stamp.dev, e.key.stamp.ino}; }
quint32 DayOf(const uchar* rec) { return qFromLittleEndian<quint32>(rec + 56); }

void Encode(uchar* p, const Entry& e, quint32 day)
{
    qToLittleEndian<quint64>(e.key.stamp.dev, p);
    qToLittleEndian<quint64>(e.key.stamp.ino, p + 8);
    qToLittleEndian<qint64>(e.key.size, p + 16);
    qToLittleEndian<qint64>(e.key.stamp.mtimeNs, p + 24);
    qToLittleEndian<qint64>(e.key.stamp.ctimeNs, p + 32);
    std::memcpy(p + 40, e.digest.data(), e.digest.size());
    qToLittleEndian<quint32>(day, p + 56);
}

// Whether the entry of `a`'s times describes a later state of the file
// than that of `b`'s: the change time decides, then the modification time.
bool Later(qint64 aCtime, qint64 aMtime, qint64 bCtime, qint64 bMtime)
{
    return aCtime != bCtime ? aCtime > bCtime : aMtime > bMtime;
}

// The ids of the entries a lookup found, in id order, a few bytes each:
// each the LEB128 varint of its inode's step from the one before (at
// least 1), or 0 then the device and the inode where the device changes.
void PushId(std::vector<quint8>& run, Id& last, Id id)
{
    auto put = [&run](quint64 v) {
        for (; v >= 0x80; v >>= 7)
            run.push_back(quint8(v | 0x80));
        run.push_back(quint8(v));
    };
    if (run.empty() || id.first != last.first) {
        put(0);
        put(id.first);
        put(id.second);
    } else {
        put(id.second - last.second);
    }
    last = id;
}

// Reads the runs of found ids beside a sequence of ids in order.
class FoundIds {
public:
    explicit FoundIds(const std::vector<std::vector<quint8>>& runs)
    {
        for (const std::vector<quint8>& r : runs)
            if (Cursor c{&r}; c.Next())
                m_at.push_back(c);
    }
    // Whether a run holds `id`; each call's id above the one before.
    bool Holds(Id id)
    {
        bool held = false;
        for (Cursor& c : m_at) {
            while (c.valid && c.id < id)
                c.Next();
            held = held || (c.valid && c.id == id);
        }
        return held;
    }

private:
    struct Cursor {
        const std::vector<quint8>* run;
        size_t pos = 0;
        Id id{0, 0};
        bool valid = false;

        quint64 Get()
        {
            quint64 v = 0;
            for (int shift = 0; pos < run->size() && shift < 64; shift += 7) {
                const quint8 b = (*run)[pos++];
                v |= quint64(b & 0x7f) << shift;
                if (!(b & 0x80))
                    break;
            }
            return v;
        }
        bool Next()
        {
            valid = pos < run->size();
            if (!valid)
                return false;
            if (const quint64 step = Get()) {
                id.second += step;
            } else {
                id.first = Get();
                id.second = Get();
            }
            return true;
        }
    };
    std::vector<Cursor> m_at;
};

enum class ReadState { Good, Damaged, Failed };

// A cache file's records in order: the header checked against the file's
// size first, then the order and (at the end) the checksum as the blocks
// are read. The records handed out before a fault must be given up.
class Reader {
public:
    Reader(int fd, qint64 fileSize) : m_fd(fd), m_size(fileSize), m_sum(NewXxh3()) {}

    // Reads the header; false when the file is not a cache file of this
    // form (State() says how).
    bool Start()
    {
        uchar h[kHeaderSize];
        if (!ReadAt(h, kHeaderSize, 0))
            return false;
        m_count = U64(h + 16);
        m_expected = U64(h + 24);
        m_seed = U64(h + 32);
        if (std::memcmp(h, kMagic, sizeof kMagic) != 0 || qFromLittleEndian<quint32>(h + 8) != kVersion ||
            qFromLittleEndian<quint32>(h + 12) != kRecordSize ||
            m_count > quint64(m_size - qint64(kHeaderSize)) / kRecordSize ||
            qint64(kHeaderSize + m_count * kRecordSize) != m_size)
            return Fault(ReadState::Damaged);
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        Rewind();
        return true;
    }
    // From the first record again.
    void Rewind()
    {
        XXH3_64bits_reset(m_sum.get());
        m_read = m_pos = m_len = 0;
        m_last.reset();
        m_ended = false;
    }
    quint64 Count() const { return m_count; }
    // The seed of the file's digests.
    quint64 Seed() const { return m_seed; }
    ReadState State() const { return m_state; }
    int Error() const { return m_err; }

    // The next record; null at the end or on a fault.
    const uchar* Next()
    {
        if (m_state != ReadState::Good || m_ended)
            return nullptr;
        if (m_pos == m_len && !Fill())
            return nullptr;
        const uchar* rec = m_buf.data() + m_pos++ * kRecordSize;
        const Id id = IdOf(rec);
        if (m_last && !(*m_last < id))
            return Fault(ReadState::Damaged), nullptr;
        m_last = id;
        return rec;
    }

private:
    bool Fault(ReadState s, int err = 0)
    {
        m_state = s;
        m_err = err;
        return false;
    }
    bool ReadAt(uchar* to, size_t n, qint64 at)
    {
        while (n > 0) {
            const ssize_t got = ::pread(m_fd, to, n, at);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return Fault(ReadState::Failed, errno);
            if (got == 0)
                return Fault(ReadState::Damaged); // shorter than its size said
            to += got;
            at += got;
            n -= size_t(got);
        }
        return true;
    }
    bool Fill()
    {
        if (m_read == m_count) { // the end: the records are whole when their checksum is
            m_ended = true;
            if (XXH3_64bits_digest(m_sum.get()) != m_expected)
                Fault(ReadState::Damaged);
            return false;
        }
        m_len = size_t(std::min<quint64>(kBlockRecords, m_count - m_read));
        m_buf.resize(kBlockRecords * kRecordSize);
        if (!ReadAt(m_buf.data(), m_len * kRecordSize, qint64(kHeaderSize + m_read * kRecordSize)))
            return false;
        XXH3_64bits_update(m_sum.get(), m_buf.data(), m_len * kRecordSize);
        m_read += m_len;
        m_pos = 0;
        return true;
    }

    int m_fd;
    qint64 m_size;
    Xxh3 m_sum;
    quint64 m_count = 0, m_expected = 0, m_read = 0, m_seed = 0;
    std::vector<uchar> m_buf;
    size_t m_pos = 0, m_len = 0;
    std::optional<Id> m_last;
    bool m_ended = false;
    ReadState m_state = ReadState::Good;
    int m_err = 0;
};

// Writes a cache file: records in blocks after room for the header, the
// header (with the count and checksum) last.
class Writer {
public:
    Writer(int fd, quint64 seed) : m_fd(fd), m_seed(seed), m_sum(NewXxh3()), m_buf(kBlockRecords * kRecordSize)
    {
        Reset();
    }

    bool Put(const Entry& e, quint32 day)
    {
        if (m_pos == m_buf.size() && !Flush())
            return false;
        Encode(m_buf.data() + m_pos, e, day);
        return Placed();
    }
    bool Put(const uchar* rec, quint32 day)
    {
        if (m_pos == m_buf.size() && !Flush())
            return false;
        std::memcpy(m_buf.data() + m_pos, rec, kRecordSize);
        qToLittleEndian<quint32>(day, m_buf.data() + m_pos + 56);
        return Placed();
    }
    bool Finish()
    {
        if (!Flush())
            return false;
        uchar h[kHeaderSize];
        std::memcpy(h, kMagic, sizeof kMagic);
        qToLittleEndian<quint32>(kVersion, h + 8);
        qToLittleEndian<quint32>(quint32(kRecordSize), h + 12);
        qToLittleEndian<quint64>(m_count, h + 16);
        qToLittleEndian<quint64>(XXH3_64bits_digest(m_sum.get()), h + 24);
        qToLittleEndian<quint64>(m_seed, h + 32);
        m_off = 0;
        return WriteAll(h, kHeaderSize);
    }
    // Empty again, for a new start.
    bool Reset()
    {
        XXH3_64bits_reset(m_sum.get());
        m_off = kHeaderSize;
        m_pos = 0;
        m_count = 0;
        return ::ftruncate(m_fd, 0) == 0 || Failed();
    }
    int Error() const { return m_err; }

private:
    bool Placed()
    {
        m_pos += kRecordSize;
        ++m_count;
        return true;
    }
    bool Failed()
    {
        m_err = errno;
        return false;
    }
    bool Flush()
    {
        XXH3_64bits_update(m_sum.get(), m_buf.data(), m_pos);
        const bool ok = WriteAll(m_buf.data(), m_pos);
        m_pos = 0;
        return ok;
    }
    bool WriteAll(const uchar* p, size_t n)
    {
        while (n > 0) {
            const ssize_t put = ::pwrite(m_fd, p, n, m_off);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return Failed();
            p += put;
            m_off += put;
            n -= size_t(put);
        }
        return true;
    }

    int m_fd;
    quint64 m_seed;
    Xxh3 m_sum;
    std::vector<uchar> m_buf;
    size_t m_pos = 0;
    qint64 m_off = 0;
    quint64 m_count = 0;
    int m_err = 0;
};

// Which entries a merge writes: none last seen `keepDays` or more before
// today; of the day `cutDay` only the first `quota`, none before it (the
// bound on the count).
struct Keep {
    qint64 today = 0;
    qint32 keepDays = 0;
    quint32 cutDay = 0;
    quint64 quota = ~quint64(0);

    bool Takes(quint32 day)
    {
        if (today - qint64(day) >= keepDays || day < cutDay)
            return false;
        if (day > cutDay)
            return true;
        if (quota == 0)
            return false;
        --quota;
        return true;
    }
};

// Counts the entries a merge would write by their day.
struct DayCount {
    std::map<quint32, quint64> days;
    bool Put(const Entry&, quint32 day) { return ++days[day], true; }
    bool Put(const uchar*, quint32 day) { return ++days[day], true; }

    // The bound for at most `max` entries, the least recently seen left out.
    void Bound(Keep& keep, quint64 max) const
    {
        quint64 kept = 0;
        for (auto it = days.rbegin(); it != days.rend(); ++it) {
            if (kept + it->second > max) {
                keep.cutDay = it->first;
                keep.quota = max - kept;
                return;
            }
            kept += it->second;
        }
    }
};

// The old file's records (none without `old`) and the run's entries (by
// id, one an id) in one sequence by id: of one id the entry of the later
// change; an old entry whose id a lookup found seen today. False when the
// sink failed or the old file did.
template <class Sink>
bool Merge(Reader* old, const std::deque<Entry>& added, const std::vector<std::vector<quint8>>& found, Keep keep,
           Sink& sink)
{
    const quint32 today = quint32(keep.today);
    size_t a = 0;
    FoundIds seen(found);
    auto seenDay = [&](const uchar* rec) {
        const quint32 day = DayOf(rec);
        return seen.Holds(IdOf(rec)) ? std::max(day, today) : day;
    };
    auto putOld = [&](const uchar* rec) {
        const quint32 day = seenDay(rec);
        return !keep.Takes(day) || sink.Put(rec, day);
    };
    auto putAdded = [&](const Entry& e) { return !keep.Takes(today) || sink.Put(e, today); };
    const uchar* rec = old ? old->Next() : nullptr;
    while (rec || a < added.size()) {
        bool ok;
        if (rec && (a == added.size() || IdOf(rec) < IdOf(added[a]))) {
            ok = putOld(rec);
            rec = old->Next();
        } else if (!rec || IdOf(added[a]) < IdOf(rec)) {
            ok = putAdded(added[a++]);
        } else {
            const Entry& e = added[a++];
            ok = Later(I64(rec + 32), I64(rec + 24), e.key.stamp.ctimeNs, e.key.stamp.mtimeNs) ? putOld(rec)
                                                                                               : putAdded(e);
            rec = old->Next();
        }
        if (!ok)
            return false;
    }
    return !old || old->State() == ReadState::Good;
}

// The positions of the keys in order of (dev, ino). A radix sort of the
// positions by the inode's bits that differ between keys, 11 at a time,
// then by the device: a few passes in sequence instead of a comparison
// sort's random reads of the keys. Besides the result it holds 13 bytes a
// key while it works. Where there are many devices, a comparison sort.
std::vector<quint32> ByIdOrder(size_t n, const DigestCache::KeyOf& keyOf)
{
    std::vector<quint32> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::vector<quint64> devs; // the devices, then in order
    std::vector<quint8> rank(n);
    quint64 anyBit = 0, allBits = ~quint64(0);
    for (size_t i = 0; i < n; ++i) {
        const FileStamp k = keyOf(i).stamp;
        anyBit |= k.ino;
        allBits &= k.ino;
        if (std::find(devs.begin(), devs.end(), k.dev) == devs.end()) {
            if (devs.size() == 256) {
                auto idOf = [&keyOf](quint32 x) { return Id(keyOf(x).stamp.dev, keyOf(x).stamp.ino); };
                std::sort(order.begin(), order.end(), [&](quint32 x, quint32 y) { return idOf(x) < idOf(y); });
                return order;
            }
            devs.push_back(k.dev);
        }
    }
    std::sort(devs.begin(), devs.end());
    quint64 lastDev = devs[0];
    quint8 lastRank = 0;
    std::vector<quint64> ino(n);
    for (size_t i = 0; i < n; ++i) {
        const FileStamp k = keyOf(i).stamp;
        if (k.dev != lastDev) {
            lastDev = k.dev;
            lastRank = quint8(std::lower_bound(devs.begin(), devs.end(), lastDev) - devs.begin());
        }
        rank[i] = lastRank;
        ino[i] = k.ino;
    }
    std::vector<quint32> spare(n);
    constexpr int kBits = 11;
    std::vector<size_t> at(size_t(1) << kBits);
    auto pass = [&](auto digit, size_t digits) {
        std::fill(at.begin(), at.begin() + qsizetype(digits), 0);
        for (quint32 i : order)
            ++at[digit(i)];
        size_t sum = 0;
        for (size_t d = 0; d < digits; ++d)
            sum += std::exchange(at[d], sum);
        for (quint32 i : order)
            spare[at[digit(i)]++] = i;
        order.swap(spare);
    };
    const quint64 differ = anyBit ^ allBits;
    for (int shift = 0; shift < 64 && (differ >> shift) != 0; shift += kBits)
        if (((differ >> shift) & ((1u << kBits) - 1)) != 0)
            pass([&](quint32 i) { return size_t((ino[i] >> shift) & ((1u << kBits) - 1)); }, size_t(1) << kBits);
    if (devs.size() > 1)
        pass([&](quint32 i) { return size_t(rank[i]); }, devs.size());
    return order;
}

// An exclusive flock, waiting for it at most `ms`.
bool LockWithin(int fd, int ms)
{
    constexpr int kStepMs = 20;
    for (int waited = 0;; waited += kStepMs) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (waited >= ms)
            return false;
        ::usleep(kStepMs * 1000);
    }
}

QString Reason(int err) { return QStringLiteral(" (") + ErrText(err) + QLatin1Char(')'); }
QString Damaged(const QString& path)
{
    return QStringLiteral("ｷｬｯｼｭﾌｧｲﾙ(") + ShownName(path) + QStringLiteral(") が破損しています (作り直します)");
}
QString Unreadable(const QString& path, int err)
{
    return QStringLiteral("ｷｬｯｼｭﾌｧｲﾙを読めません: ") + ShownName(path) + Reason(err);
}
QString Foreign(const QString& path)
{
    return QStringLiteral("ｷｬｯｼｭを使いません: ") + ShownName(path) + QStringLiteral(" (ほかのﾕｰｻﾞｰが書き換えられます)");
}
// Whether only this user can have written an entry: owned by the user and
// not writable by the group or others. A cache that anyone else may write
// could make two different files look the same.
bool OwnOnly(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}
QString NotAFile(const QString& path)
{
    return QStringLiteral("ｷｬｯｼｭﾌｧｲﾙを読めません: ") + ShownName(path) + QStringLiteral(" (通常のﾌｧｲﾙではありません)");
}
QString Unwritable(const QString& path, int err)
{
    return QStringLiteral("ｷｬｯｼｭﾌｧｲﾙに書き込めません: ") + ShownName(path) + Reason(err);
}

// What a read of the cache file met: the problem for the user, whether the
// file is damaged (to be replaced), empty when all went well.
struct Opened {
    std::unique_ptr<Fd> fd;
    std::unique_ptr<Reader> reader; // null: no file, or none to use
    QString problem;
    bool damaged = false;
};

// Opens the cache file at `dirfd`/`name` for reading, its header read.
Opened OpenCache(int dirfd, const QByteArray& name, const QString& path)
{
    Opened o;
    o.fd = std::make_unique<Fd>(::openat(dirfd, name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (o.fd->get() < 0) {
        if (errno != ENOENT)
            o.problem = Unreadable(path, errno);
        return o;
    }
    struct stat st;
    if (::fstat(o.fd->get(), &st) != 0) {
        o.problem = Unreadable(path, errno);
        return o;
    }
    if (!S_ISREG(st.st_mode)) {
        o.problem = NotAFile(path);
        return o;
    }
    if (!OwnOnly(o.fd->get())) {
        o.problem = Foreign(path);
        return o;
    }
    o.reader = std::make_unique<Reader>(o.fd->get(), qint64(st.st_size));
    if (!o.reader->Start()) {
        o.damaged = o.reader->State() == ReadState::Damaged;
        o.problem = o.damaged ? Damaged(path) : Unreadable(path, o.reader->Error());
        o.reader.reset();
    }
    return o;
}

// Where a read failed after the header: the problem for the user.
QString ReadProblem(const Reader& r, const QString& path)
{
    return r.State() == ReadState::Damaged ? Damaged(path) : Unreadable(path, r.Error());
}

// The folder and the name of a path.
std::pair<QByteArray, QByteArray> Split(const QByteArray& path)
{
    const qsizetype cut = path.lastIndexOf('/');
    if (cut < 0)
        return {QByteArrayLiteral("."), path};
    return {cut == 0 ? QByteArrayLiteral("/") : path.left(cut), path.mid(cut + 1)};
}

// The temporary file of a save, removed unless it took the cache's place.
class Temporary {
public:
    explicit Temporary(int dirfd) : m_dirfd(dirfd) { m_fd = Aside::Create(dirfd, m_name); }
    ~Temporary()
    {
        if (m_fd >= 0) {
            ::unlinkat(m_dirfd, m_name.constData(), 0);
            ::close(m_fd);
        }
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    int get() const { return m_fd; }
    // Renames it to `name`, replacing what is there.
    bool Place(const QByteArray& name)
    {
        if (::renameat(m_dirfd, m_name.constData(), m_dirfd, name.constData()) != 0)
            return false;
        ::close(m_fd);
        m_fd = -1;
        return true;
    }

private:
    int m_dirfd, m_fd;
    QByteArray m_name;
};
} // namespace

// --- DigestState ---

void DigestState::Free::operator()(XXH3_state_s* s) const { XXH3_freeState(s); }

DigestState::DigestState(quint64 seed) : m_state(NewXxh3().release())
{
    XXH3_128bits_reset_withSeed(m_state.get(), seed);
}

DigestState::DigestState(const DigestState& other) : m_state(NewXxh3().release())
{
    XXH3_copyState(m_state.get(), other.m_state.get());
}

void DigestState::Update(const void* data, size_t n) { XXH3_128bits_update(m_state.get(), data, n); }

Digest DigestState::Final()
{
    XXH128_canonical_t c;
    XXH128_canonicalFromHash(&c, XXH3_128bits_digest(m_state.get()));
    Digest d;
    static_assert(sizeof c.digest == std::tuple_size_v<Digest>);
    std::memcpy(d.data(), c.digest, d.size());
    return d;
}

// --- DigestCache ---

DigestCache::DigestCache(QString path, DigestCacheBounds bounds) : m_path(std::move(path)), m_bounds(bounds) {}

bool DigestCache::LoadSeed(int dirfd, const QByteArray& name)
{
    if (m_seedKnown)
        return true;
    const QByteArray seedName = name + ".seed";
    for (int attempt = 0; attempt < 2; ++attempt) {
        const Fd fd(::openat(dirfd, seedName.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (fd.get() >= 0) {
            uchar b[8];
            if (!OwnOnly(fd.get()) || ::read(fd.get(), b, sizeof b) != ssize_t(sizeof b))
                return false;
            m_seed = qFromLittleEndian<quint64>(b);
            return m_seedKnown = true;
        }
        if (errno != ENOENT)
            return false;
        // made aside and placed without replacing: whichever program comes
        // first gives every program its seed
        QByteArray tmp;
        const Fd made(Aside::Create(dirfd, tmp, 0600));
        if (made.get() < 0)
            return false;
        std::random_device random; // unknown to anyone who might craft two files alike
        uchar b[8];
        qToLittleEndian<quint64>((quint64(random()) << 32) ^ quint64(random()), b);
        const bool written = ::write(made.get(), b, sizeof b) == ssize_t(sizeof b) && ::fsync(made.get()) == 0;
        const Aside::Place placed = written ? Aside::PlaceNew(dirfd, tmp, seedName) : Aside::Place::Failed;
        if (placed != Aside::Place::Done)
            ::unlinkat(dirfd, tmp.constData(), 0);
        if (placed == Aside::Place::Failed)
            return false;
    }
    return false;
}

qint64 DigestCache::NowNs()
{
    timespec ts;
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

qint32 DigestCache::Today() { return qint32(NowNs() / kDayNs); }

QString DigestCache::Problem() const
{
    std::lock_guard lock(m_lock);
    return m_problem;
}

void DigestCache::SetProblem(const QString& text)
{
    std::lock_guard lock(m_lock);
    if (m_problem.isEmpty())
        m_problem = text;
}

std::vector<std::optional<Digest>> DigestCache::Lookup(const std::vector<DigestKey>& keys)
{
    std::vector<std::optional<Digest>> out(keys.size());
    auto keyOf = [&keys](size_t i) { return keys[i]; };
    if (!Lookup(keys.size(), keyOf, [&out](size_t i, const Digest& d) { out[i] = d; }))
        return std::vector<std::optional<Digest>>(keys.size());
    return out;
}

bool DigestCache::Lookup(size_t n, const KeyOf& keyOf, const FoundOne& found)
{
    if (!Enabled() || n == 0)
        return true;
    const auto [dir, name] = Split(EncodeName(m_path));
    Aside::MakeFolders(dir); // the seed is made before anything is hashed
    const Fd dirfd(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirfd.get() < 0) {
        SetProblem(Unreadable(m_path, errno));
        return true;
    }
    if (!OwnOnly(dirfd.get())) {
        SetProblem(Foreign(DecodeName(dir)));
        return true;
    }
    if (!LoadSeed(dirfd.get(), name)) {
        SetProblem(Unreadable(m_path + QStringLiteral(".seed"), errno));
        return true;
    }
    Opened file = OpenCache(dirfd.get(), name, m_path);
    if (file.reader && file.reader->Seed() != m_seed)
        return true; // of another seed: left out, replaced at the save
    if (!file.reader) {
        if (!file.problem.isEmpty())
            SetProblem(file.problem);
        m_damaged = m_damaged || file.damaged;
        return true;
    }

    // the keys by id beside the records by id: one pass
    const std::vector<quint32> order = ByIdOrder(n, keyOf);
    std::vector<quint8>& run = m_found.emplace_back();
    // an entry seen within the last week keeps its day: a run that found
    // only such entries and added none leaves the file as it is
    const qint64 renewBefore = qint64(Today()) - kRenewDays;
    Id last;
    // the key at k, asked once however many records pass it
    size_t k = 0;
    DigestKey at{};
    auto take = [&](size_t to) {
        k = to;
        if (k < n)
            at = keyOf(order[k]);
    };
    take(0);
    Reader& rd = *file.reader;
    while (const uchar* rec = rd.Next()) {
        const Id id = IdOf(rec);
        while (k < n && Id(at.stamp.dev, at.stamp.ino) < id)
            take(k + 1);
        bool hit = false;
        for (size_t j = k; j < n; ++j) {
            const DigestKey key = j == k ? at : keyOf(order[j]);
            if (!(Id(key.stamp.dev, key.stamp.ino) == id))
                break;
            if (key.size == I64(rec + 16) && key.stamp.mtimeNs == I64(rec + 24) && key.stamp.ctimeNs == I64(rec + 32)) {
                Digest d;
                std::memcpy(d.data(), rec + 40, sizeof(Digest));
                found(order[j], d);
                hit = true;
            }
        }
        if (hit && qint64(DayOf(rec)) <= renewBefore)
            PushId(run, last, id);
    }
    if (rd.State() != ReadState::Good) { // what was found before the fault is not to be trusted
        SetProblem(ReadProblem(rd, m_path));
        m_found.pop_back();
        m_damaged = m_damaged || rd.State() == ReadState::Damaged;
        return false;
    }
    if (run.empty())
        m_found.pop_back();
    else
        run.shrink_to_fit();
    return true;
}

void DigestCache::Add(const DigestKey& key, const Digest& d, qint64 readStartNs)
{
    if (!Enabled() || key.stamp.mtimeNs > readStartNs - kStepNs || key.stamp.ctimeNs > readStartNs - kStepNs)
        return;
    std::lock_guard lock(m_lock);
    m_added.push_back({key, d});
}

bool DigestCache::Save(std::optional<qint32> today)
{
    if (!Enabled())
        return true;
    std::deque<Entry> added;
    {
        std::lock_guard lock(m_lock);
        added.swap(m_added);
    }
    const std::vector<std::vector<quint8>>& found = m_found;
    if (added.empty() && found.empty() && !m_damaged)
        return true;
    // by id, of one id the entry of the later change first, then one an id
    std::sort(added.begin(), added.end(), [](const Entry& x, const Entry& y) {
        if (IdOf(x) != IdOf(y))
            return IdOf(x) < IdOf(y);
        return Later(x.key.stamp.ctimeNs, x.key.stamp.mtimeNs, y.key.stamp.ctimeNs, y.key.stamp.mtimeNs);
    });
    added.erase(
        std::unique(added.begin(), added.end(), [](const Entry& x, const Entry& y) { return IdOf(x) == IdOf(y); }),
        added.end());

    // Given back for a later save when this one fails.
    auto fail = [&](const QString& problem) {
        SetProblem(problem);
        std::lock_guard lock(m_lock);
        m_added.insert(m_added.end(), added.begin(), added.end());
        return false;
    };

    const QByteArray path = EncodeName(m_path);
    const auto [dir, name] = Split(path);
    if (!Aside::MakeFolders(dir)) {
        const int err = errno;
        return fail(QStringLiteral("ｷｬｯｼｭのﾌｫﾙﾀﾞを作成できません: ") + ShownName(DecodeName(dir)) + Reason(err));
    }
    const Fd dirfd(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirfd.get() < 0)
        return fail(Unwritable(m_path, errno));
    if (!OwnOnly(dirfd.get()))
        return fail(Foreign(DecodeName(dir)));
    if (!LoadSeed(dirfd.get(), name))
        return fail(Unwritable(m_path + QStringLiteral(".seed"), errno));
    const Fd lockFd(
        ::openat(dirfd.get(), (name + ".lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (lockFd.get() < 0)
        return fail(Unwritable(m_path, errno));
    if (!LockWithin(lockFd.get(), m_bounds.lockWaitMs))
        return fail(QStringLiteral("ｷｬｯｼｭﾌｧｲﾙは他のﾌﾟﾛｸﾞﾗﾑが書き込み中です: ") + ShownName(m_path));
    Aside::CleanUp(dirfd.get()); // what a killed save left

    Opened file = OpenCache(dirfd.get(), name, m_path);
    if (!file.problem.isEmpty())
        SetProblem(file.problem); // written anew without it
    if (file.reader && file.reader->Seed() != m_seed)
        file.reader.reset(); // made anew by another program meanwhile: its digests and this run's differ
    Temporary tmp(dirfd.get());
    if (tmp.get() < 0)
        return fail(Unwritable(m_path, errno));
    Writer out(tmp.get(), m_seed);
    Keep keep;
    keep.today = today ? *today : Today();
    keep.keepDays = m_bounds.keepDays;
    const quint64 max = quint64(std::max<qint64>(m_bounds.maxEntries, 0));
    for (;;) {
        Reader* old = file.reader.get();
        Keep bounded = keep;
        if ((old ? old->Count() : 0) + added.size() > max) { // may be too many: count them by day first
            DayCount count;
            if (Merge(old, added, found, keep, count))
                count.Bound(bounded, max);
            if (old)
                old->Rewind();
        }
        if (Merge(old, added, found, bounded, out))
            break;
        if (!old || old->State() == ReadState::Good) // the writing failed
            return fail(Unwritable(m_path, out.Error()));
        SetProblem(ReadProblem(*old, m_path)); // the old file is left out: from the start without it
        file.reader.reset();
        if (!out.Reset())
            return fail(Unwritable(m_path, out.Error()));
    }
    if (!out.Finish())
        return fail(Unwritable(m_path, out.Error()));
    if (::fdatasync(tmp.get()) != 0 || !tmp.Place(name))
        return fail(Unwritable(m_path, errno));
    Aside::SyncFolder(dirfd.get());
    m_found.clear();
    m_damaged = false;
    return true;
}
