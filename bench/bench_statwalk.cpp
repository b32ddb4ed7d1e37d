// The least a walk that reads sizes and times can do: folders listed on a
// pool of threads, each file's status read, nothing kept or written. The
// speed table measures it beside the listing tools as the floor that the
// kernel sets for any comparison by size and time.
//
// Usage: bench_statwalk THREADS FOLDER...
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

class StatWalk {
public:
    explicit StatWalk(std::vector<std::string> roots) : m_queue(std::move(roots)) {}

    void Run(int threads)
    {
        std::vector<std::thread> pool;
        for (int i = 0; i < threads; ++i)
            pool.emplace_back([this] { Work(); });
        for (std::thread& t : pool)
            t.join();
    }

    long Files() const { return m_files; }

private:
    void Work()
    {
        for (;;) {
            std::string folder;
            {
                std::unique_lock lk(m_mx);
                m_cv.wait(lk, [&] { return !m_queue.empty() || m_busy == 0; });
                if (m_queue.empty())
                    return;
                folder = std::move(m_queue.back());
                m_queue.pop_back();
                ++m_busy;
            }
            long files = 0;
            std::vector<std::string> subs = List(folder, files);
            {
                std::lock_guard lk(m_mx);
                for (std::string& s : subs)
                    m_queue.push_back(std::move(s));
                --m_busy;
                m_files += files;
            }
            m_cv.notify_all();
        }
    }

    static std::vector<std::string> List(const std::string& folder, long& files)
    {
        std::vector<std::string> subs;
        DIR* d = opendir(folder.c_str());
        if (!d)
            return subs;
        const int fd = dirfd(d);
        while (const dirent* e = readdir(d)) {
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            struct stat st;
            if (e->d_type == DT_DIR)
                subs.push_back(folder + '/' + n);
            else if (fstatat(fd, n, &st, AT_SYMLINK_NOFOLLOW) == 0)
                ++files;
        }
        closedir(d);
        return subs;
    }

    std::mutex m_mx;
    std::condition_variable m_cv;
    std::vector<std::string> m_queue;
    int m_busy = 0;
    long m_files = 0;
};
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_statwalk THREADS FOLDER...\n");
        return 2;
    }
    StatWalk w(std::vector<std::string>(argv + 2, argv + argc));
    w.Run(std::max(1, std::atoi(argv[1])));
    std::printf("%ld\n", w.Files());
    return 0;
}
