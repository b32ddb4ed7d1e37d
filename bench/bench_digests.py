#!/usr/bin/env python3
"""A comparison by content with the digest cache, against references in the
same run.

Usage: bench/bench_digests.py [--build DIR] [--files N ...] [--runs K]

For each N, two trees of about N files from make-trees (kept in
/tmp/fldcmpr-bench/N), a fresh cache folder ($XDG_CACHE_HOME), and in turn,
K times each (medians; peak memory by wait4; bytes read from /proc/PID/io's
rchar of a shell that runs the command and reaps it):
- by time: fldcmpr-cli -q ONE TWO
- cat: every file of both trees read by cat (trees of up to --cat-max files)
- first by content: the cache removed, fldcmpr-cli -q --content-only
- second by content: the same again, the cache in place
Targets: the first ≤ 1.1 × cat; the second ≤ 1.5 × by time, reading under
5 % of the trees' bytes; the second's peak memory ≤ 64 bytes a file above
the comparison by time.
"""
import argparse, os, shutil, statistics, subprocess, sys, tempfile, time

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
    a = ap.parse_args()
    cli = os.path.join(a.build, 'src', 'fldcmpr-cli')
    print('| files | by time s | cat s | 1st by content s (× cat) | 2nd by content s (× time) '
          '| 2nd read % of bytes | peak MiB time / 2nd | bytes a file above time |')
    print('|---|---|---|---|---|---|---|---|')
    for n in a.files:
        dest = bench_compare.trees(n)[0]
        one, two = os.path.join(dest, 'one'), os.path.join(dest, 'two')
        size, files = tree_bytes(one, two)
        cache = tempfile.mkdtemp(prefix='fldcmpr-digests-')
        env = dict(os.environ, XDG_CACHE_HOME=cache)
        # a program in a folder it can write keeps its cache beside itself
        caches = [os.path.join(cache, 'FldCmpr'), os.path.join(os.path.dirname(cli), 'usCache')]
        with_cat = n <= a.cat_max
        by_time = [cli, '-q', one, two]
        by_content = [cli, '-q', '--content-only', one, two]
        cat = ['sh', '-c', 'find "$0" "$1" -type f -print0 | xargs -0 cat > /dev/null', one, two]
        run(by_time, env)  # warm the page cache
        if with_cat:
            run(cat, env)
        rows = {k: [] for k in ('time', 'cat', 'first', 'second')}
        for _ in range(a.runs):
            rows['time'].append(run(by_time, env))
            if with_cat:
                rows['cat'].append(run(cat, env))
            for c in caches:
                shutil.rmtree(c, ignore_errors=True)
            rows['first'].append(run(by_content, env))
            rows['second'].append(run(by_content, env))
        med = {k: statistics.median(r[0] for r in v) if v else float('nan') for k, v in rows.items()}
        peak = {k: statistics.median(r[1] for r in v) if v else float('nan') for k, v in rows.items()}
        read2 = statistics.median(r[2] for r in rows['second'])
        above = (peak['second'] - peak['time']) * 2**20 / files
        print('| %d | %.2f | %.2f | %.2f (%.2f) | %.2f (%.2f) | %.1f | %.0f / %.0f | %.0f |' %
              (files, med['time'], med['cat'], med['first'], med['first'] / med['cat'], med['second'],
               med['second'] / med['time'], 100.0 * read2 / size, peak['time'], peak['second'], above))
        shutil.rmtree(cache, ignore_errors=True)


if __name__ == '__main__':
    main()
