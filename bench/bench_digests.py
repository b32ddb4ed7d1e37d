#!/usr/bin/env python3
"""A comparison by content with the digest cache, against references in the
same run.

Usage: bench/bench_digests.py [--build DIR] [--files N ...] [--runs K]
                              [--dense] [--cold]

For each N, two trees of about N files from make-trees (kept in
/tmp/fldcmpr-bench/N), a fresh cache folder ($XDG_CACHE_HOME), and in turn,
K times each (medians; peak memory by wait4; bytes read from /proc/PID/io's
rchar of a shell that runs the command and reaps it):
- by time: fldcmpr-cli -q ONE TWO
- cat: every file of both trees read by cat (trees of up to --cat-max files)
- first by content: the cache removed, fldcmpr-cli -q --content-only
- second by content: the same again, the cache in place
--dense: make-trees' files are sparse, so cat and a first comparison read
holes. This option uses copies of its trees (kept in /tmp/fldcmpr-bench/
dense-N) with the same names, folders and modification times, each file
holding min(size, 4096) real bytes that follow from its relative path (case
folded) and its size: files alike in both trees stay alike, and files that
differ in size stay different.
--cold: the page cache is dropped (sync; drop_caches, as root) before each
timed command, instead of warming it once before all of them.
Targets: the first ≤ 1.1 × cat; the second ≤ 1.5 × by time, reading under
5 % of the trees' bytes; the second's peak memory ≤ 64 bytes a file above
the comparison by time.
"""
import argparse, hashlib, os, random, shutil, statistics, subprocess, sys, tempfile, time

import bench_compare  # the cached trees of make-trees

HERE = os.path.dirname(os.path.abspath(__file__))


def run(cmd, env):
    """Wall time, peak resident MiB and bytes read (rchar) of one command."""
    script = '"$@" >/dev/null 2>&1; s=$?; grep "^rchar" /proc/$$/io; exit $s'
    t = time.perf_counter()
    p = subprocess.Popen(['sh', '-c', script, 'sh'] + cmd, stdout=subprocess.PIPE, env=env)
    out = p.stdout.read().decode()
    _, status, usage = os.wait4(p.pid, 0)
    dt = time.perf_counter() - t
    code = os.waitstatus_to_exitcode(status)
    if code not in (0, 1):
        sys.exit('failed (%d): %s' % (code, ' '.join(cmd)))
    return dt, usage.ru_maxrss / 1024, int(out.split()[1])


def drop_caches():
    """Writes dirty pages out and drops the page, dentry and inode caches."""
    subprocess.run(['sync'], check=True)
    with open('/proc/sys/vm/drop_caches', 'w') as f:
        f.write('3\n')


def dense_bytes(rel, size, pool):
    """min(size, 4096) bytes that follow from the case-folded relative path
    and the size: a 16-byte hash of both, then a slice of the pool chosen by
    it (a file renamed only in case in the other tree gets the same bytes)."""
    key = hashlib.blake2b(('%s\0%d' % (rel.lower(), size)).encode('utf-8', 'surrogateescape'),
                          digest_size=16).digest()
    n = min(size, 4096)
    off = int.from_bytes(key[:4], 'little') % (len(pool) - 4096)
    return (key + pool[off:off + n])[:n]


def copy_dense(src, dst, pool, rel=''):
    """Makes dst a copy of the tree src in which each file holds dense_bytes,
    with its modification time kept (to the ns)."""
    os.mkdir(dst)
    with os.scandir(src) as it:
        entries = list(it)
    for e in entries:
        r = rel + '/' + e.name if rel else e.name
        if e.is_dir(follow_symlinks=False):
            copy_dense(e.path, os.path.join(dst, e.name), pool, r)
            continue
        st = e.stat(follow_symlinks=False)
        fd = os.open(os.path.join(dst, e.name), os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
        try:
            os.write(fd, dense_bytes(r, st.st_size, pool))
            os.utime(fd, ns=(st.st_atime_ns, st.st_mtime_ns))
        finally:
            os.close(fd)


def dense_trees(n):
    """The dense copies of make-trees' trees of n files, made once."""
    dest = '/tmp/fldcmpr-bench/dense-%d' % n
    if not os.path.isdir(dest):
        src, stats = bench_compare.trees(n)
        part = dest + '.part'  # renamed when whole, so a broken run is not reused
        shutil.rmtree(part, ignore_errors=True)
        os.mkdir(part)
        pool = random.Random(n).randbytes(1 << 20)
        t = time.perf_counter()
        for side in ('one', 'two'):
            copy_dense(os.path.join(src, side), os.path.join(part, side), pool)
        open(os.path.join(part, 'stats.txt'), 'w').write(stats)
        os.rename(part, dest)
        print('made %s in %.0f s' % (dest, time.perf_counter() - t), file=sys.stderr)
    return dest


def tree_bytes(*roots):
    total = files = 0
    for root in roots:
        for d, _, names in os.walk(root):
            for n in names:
                total += os.lstat(os.path.join(d, n)).st_size
                files += 1
    return total, files


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--build', default=os.path.join(HERE, '..', 'build'))
    ap.add_argument('--files', type=int, nargs='+', default=[20000, 1000000])
    ap.add_argument('--runs', type=int, default=3)
    ap.add_argument('--cat-max', type=int, default=100000,
                    help='cat only trees of up to this many files (make-trees files are sparse: cat reads their holes)')
    ap.add_argument('--dense', action='store_true', help='trees of real bytes, read whole by cat at any size')
    ap.add_argument('--cold', action='store_true', help='drop the page cache before each timed command (root)')
    ap.add_argument('--no-cat', action='store_true', help='leave cat out (its figure from an earlier run)')
    a = ap.parse_args()
    if a.cold and os.geteuid() != 0:
        sys.exit('--cold drops the page cache: run as root')
    cli = os.path.join(a.build, 'src', 'fldcmpr-cli')
    print('%s trees, %s page cache, medians of %d runs' %
          ('dense' if a.dense else 'sparse', 'cold' if a.cold else 'warm', a.runs))
    print('| files | by time s | cat s | 1st by content s (× cat) | 2nd by content s (× time) '
          '| 2nd read % of bytes | peak MiB time / 2nd | bytes a file above time |')
    print('|---|---|---|---|---|---|---|---|')
    for n in a.files:
        dest = dense_trees(n) if a.dense else bench_compare.trees(n)[0]
        one, two = os.path.join(dest, 'one'), os.path.join(dest, 'two')
        size, files = tree_bytes(one, two)
        cache = tempfile.mkdtemp(prefix='fldcmpr-digests-')
        env = dict(os.environ, XDG_CACHE_HOME=cache)
        # a program in a folder it can write keeps its cache beside itself
        caches = [os.path.join(cache, 'FldCmpr'), os.path.join(os.path.dirname(cli), 'usCache')]
        with_cat = not a.no_cat and (a.dense or n <= a.cat_max)
        by_time = [cli, '-q', one, two]
        by_content = [cli, '-q', '--content-only', one, two]
        cat = ['sh', '-c', 'find "$0" "$1" -type f -print0 | xargs -0 cat > /dev/null', one, two]
        def timed(cmd):
            if a.cold:
                drop_caches()
            return run(cmd, env)
        if not a.cold:
            run(by_time, env)  # warm the page cache
            if with_cat:
                run(cat, env)
        rows = {k: [] for k in ('time', 'cat', 'first', 'second')}
        for _ in range(a.runs):
            rows['time'].append(timed(by_time))
            if with_cat:
                rows['cat'].append(timed(cat))
            for c in caches:
                shutil.rmtree(c, ignore_errors=True)
            rows['first'].append(timed(by_content))
            rows['second'].append(timed(by_content))
        med = {k: statistics.median(r[0] for r in v) if v else float('nan') for k, v in rows.items()}
        peak = {k: statistics.median(r[1] for r in v) if v else float('nan') for k, v in rows.items()}
        read2 = statistics.median(r[2] for r in rows['second'])
        above = (peak['second'] - peak['time']) * 2**20 / files
        print('| %d | %.2f | %.2f | %.2f (%.2f) | %.2f (%.2f) | %.1f | %.0f / %.0f | %.0f |' %
              (files, med['time'], med['cat'], med['first'], med['first'] / med['cat'], med['second'],
               med['second'] / med['time'], 100.0 * read2 / size, peak['time'], peak['second'], above), flush=True)
        shutil.rmtree(cache, ignore_errors=True)


if __name__ == '__main__':
    main()
