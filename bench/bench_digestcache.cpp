// The digest cache at scale: a cache of N entries written, then a lookup of
// N keys in no order (all found) and the save that follows it (each entry
// seen again), each timed and given per million entries, with the memory
// that the lookup and the save add above the keys (the peak resident size
// during each less that before, per key) and the process's peak.
//
// Usage: bench_digestcache [ENTRIES] [FOLDER]
//   ENTRIES defaults to 1000000; the cache goes to FOLDER/digests (by
//   default a temporary folder, removed at the end). The page cache is
//   left warm: the times are those of memory and the processor.
#include "compare/engine/DigestCache.h"

#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// A line of /proc/self/status in KiB ("VmRSS", "VmHWM").
long StatusKiB(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string want = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.compare(0, want.size(), want) == 0)
            return std::atol(line.c_str() + want.size());
    return -1;
}

// Starts the peak resident size over from the present one.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }
} // namespace

int main(int argc, char** argv)
{
    const long n = argc > 1 ? std::atol(argv[1]) : 1'000'000;
    QTemporaryDir tmp;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : tmp.path();
    const QString path = folder + QStringLiteral("/digests");
    QFile::remove(path);
    const double perM = 1e6 / double(n);

    // keys spread over four devices, in no order, their inodes among 64
    // times as many numbers (as a file system's are, ascending as files
    // are made, with gaps)
    std::vector<DigestKey> keys(static_cast<size_t>(n));
    quint64 x = 88172645463325252ull;
    for (DigestKey& k : keys) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        k = {{x & 3, 12 + (x >> 2) % quint64(64 * n), 1'600'000'000'000'000'000, 1'600'000'000'000'000'000},
             qint64(x % 100000)};
    }
    const qint64 read = DigestCache::NowNs();

    // written by a child, so the memory measured below is the lookup's and
    // the save's alone
    std::fflush(stdout);
    const pid_t writer = ::fork();
    if (writer == 0) {
        auto t = std::chrono::steady_clock::now();
        DigestCache c(path);
        for (const DigestKey& k : keys) {
            DigestState s;
            s.Update(&k, sizeof k);
            c.Add(k, s.Final(), read);
        }
        const double add = Seconds(t);
        t = std::chrono::steady_clock::now();
        if (!c.Save()) {
            std::fprintf(stderr, "save: %s\n", c.Problem().toLocal8Bit().constData());
            ::_exit(1);
        }
        std::printf("entries            %ld (file %.1f MB)\n", n, double(QFileInfo(path).size()) / 1e6);
        std::printf("add (with digest)  %.3f s per million\n", add * perM);
        std::printf("first save         %.3f s per million\n", Seconds(t) * perM);
        std::fflush(stdout);
        ::_exit(0);
    }
    int status = 1;
    if (writer < 0 || ::waitpid(writer, &status, 0) != writer || status != 0)
        return 1;

    const long rssBefore = StatusKiB("VmRSS");
    ResetPeak();
    DigestCache c(path);
    auto t = std::chrono::steady_clock::now();
    std::vector<std::optional<Digest>> found = c.Lookup(keys);
    const double lookup = Seconds(t);
    const long lookupPeak = StatusKiB("VmHWM");
    const long found_n = long(std::count_if(found.begin(), found.end(), [](const auto& d) { return d.has_value(); }));
    ResetPeak();
    t = std::chrono::steady_clock::now();
    const bool saved = c.Save();
    const double save = Seconds(t);
    const long savePeak = StatusKiB("VmHWM");
    if (!saved || found_n != n || !c.Problem().isEmpty()) {
        std::fprintf(stderr, "found %ld of %ld; %s\n", found_n, n, c.Problem().toLocal8Bit().constData());
        return 1;
    }
    std::printf("lookup             %.3f s per million (%ld found)\n", lookup * perM, found_n);
    std::printf("save (all renewed) %.3f s per million\n", save * perM);
    std::printf("memory above the keys at the peak, a key: lookup %.1f bytes, save %.1f bytes (the results held)\n",
                double(lookupPeak - rssBefore) * 1024 / double(n), double(savePeak - rssBefore) * 1024 / double(n));
    found = {};

    // the file's read alone (one key), and a lookup with the keys in order
    DigestCache again(path);
    t = std::chrono::steady_clock::now();
    again.Lookup({keys[0]});
    std::printf("read of the file   %.3f s per million entries\n", Seconds(t) * perM);
    std::sort(keys.begin(), keys.end(), [](const DigestKey& a, const DigestKey& b) {
        return std::pair(a.stamp.dev, a.stamp.ino) < std::pair(b.stamp.dev, b.stamp.ino);
    });
    t = std::chrono::steady_clock::now();
    again.Lookup(keys);
    std::printf("lookup, keys in order %.3f s per million\n", Seconds(t) * perM);
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    std::printf("peak RSS           %.1f MB (keys %.1f MB)\n", double(ru.ru_maxrss) / 1024,
                double(n) * sizeof(DigestKey) / 1e6);
    return 0;
}
