#!/usr/bin/env python3
"""Times fldcmpr-cli against `find` listing the same two trees.

Usage: bench/bench_compare.py [--build DIR] [--files N ...] [--runs K]

For each N it makes two trees of about N files each with make-trees (kept in
/tmp/fldcmpr-bench/N for later runs), warms the cache, then runs K times
each, alternating: find ONE TWO -type f -printf '%s %T@ %p\\n' > /dev/null,
and fldcmpr-cli --db TMP ONE TWO > /dev/null. It prints the medians, their
ratio, the comparison's peak memory, and checks the counts of each code
against what make-trees reported.
"""
import argparse, os, resource, statistics, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))
MAKE_TREES = os.path.join(HERE, '..', 'tests', 'tools', 'make-trees')


def timed(cmd, stdout=subprocess.DEVNULL):
    t = time.perf_counter()
    p = subprocess.run(cmd, stdout=stdout, stderr=subprocess.PIPE)
    dt = time.perf_counter() - t
    if p.returncode not in (0, 1):  # 1: the trees differ
        sys.exit('failed: %s\n%s' % (' '.join(cmd), p.stderr.decode()))
    return dt, p


def trees(n):
    dest = '/tmp/fldcmpr-bench/%d' % n
    stats = os.path.join(dest, 'stats.txt')
    if not os.path.exists(stats):
        os.makedirs(dest, exist_ok=True)
        out = subprocess.run([sys.executable, MAKE_TREES, dest, str(n)], check=True,
                             stdout=subprocess.PIPE).stdout.decode().strip().splitlines()[-1]
        open(stats, 'w').write(out)
    return dest, open(stats).read()


def expected_codes(stats_line):
    kv = dict(part.split('=') for part in stats_line.replace(',', ' ').split() if '=' in part)
    kv = {k: int(v) for k, v in kv.items()}
    return {'1-*': kv['missing'], '2-*': kv['extra'], '2>1': kv['newer2'], '1>2': kv['newer1'],
            '1=2': kv['seconds'] + kv['case'] + kv['same']}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--build', default=os.path.join(HERE, '..', 'build'))
    ap.add_argument('--files', type=int, nargs='+', default=[100000])
    ap.add_argument('--runs', type=int, default=5)
    a = ap.parse_args()
    cli = os.path.join(a.build, 'src', 'fldcmpr-cli')
    for n in a.files:
        dest, stats = trees(n)
        one, two = os.path.join(dest, 'one'), os.path.join(dest, 'two')
        db = os.path.join(tempfile.mkdtemp(), 'Cmpr.mdb')
        find = ['find', one, two, '-type', 'f', '-printf', '%s %T@ %p\\n']
        cmp_ = [cli, '--db', db, one, two]
        timed(find); timed(cmp_)  # warm the cache
        tf, tc = [], []
        for _ in range(a.runs):
            tf.append(timed(find)[0])
            tc.append(timed(cmp_)[0])
        peak_kib = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        _, p = timed(cmp_, stdout=subprocess.PIPE)
        got = {}
        for line in p.stdout.decode().splitlines():
            code = line.split('\t')[3]
            got[code] = got.get(code, 0) + 1
        want = expected_codes(stats)
        mf, mc = statistics.median(tf), statistics.median(tc)
        print('files per tree %d: find %.3f s, fldcmpr-cli %.3f s, ratio %.2f, peak memory %.1f MiB' %
              (n, mf, mc, mc / mf, peak_kib / 1024))
        print('  make-trees: %s' % stats)
        print('  codes: %s -> %s' % (dict(sorted(got.items())), 'agree' if got == want else 'DIFFER from %s' % want))


if __name__ == '__main__':
    main()
