#!/usr/bin/env python3
"""Times fldcmpr-cli --content against cmp and cat on the same pairs.

Usage: bench/bench_content.py [--build DIR] [--pairs N] [--mib M] [--runs K]

Makes (or reuses) N pairs of identical files of M MiB of random bytes under
/tmp/fldcmpr-bench/content-N-M (one/ and two/), then:
  warm: cmp run over the pairs one after the other, against
        fldcmpr-cli --content --no-store -q ONE TWO (medians of K runs);
  cold: the page cache dropped (echo 3 > /proc/sys/vm/drop_caches) before
        each run, cat of all the files to /dev/null against the same
        fldcmpr-cli run, as read rates. Skipped where the cache cannot be
        dropped (not root, or a container that forbids it).
"""
import argparse, os, statistics, subprocess, sys, time

HERE = os.path.dirname(os.path.abspath(__file__))


def make(dest, pairs, mib):
    if os.path.exists(os.path.join(dest, 'done')):
        return
    for side in ('one', 'two'):
        os.makedirs(os.path.join(dest, side), exist_ok=True)
    for i in range(pairs):
        data = os.urandom(mib << 20)
        for side in ('one', 'two'):
            p = os.path.join(dest, side, 'f%04d.bin' % i)
            with open(p, 'wb') as f:
                f.write(data)
            os.utime(p, (1_600_000_000, 1_600_000_000))
    open(os.path.join(dest, 'done'), 'w').close()


def timed(cmd, **kw):
    t = time.perf_counter()
    r = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, **kw)
    if r.returncode not in (0, 1):
        sys.exit('failed: %s\n%s' % (' '.join(cmd), r.stderr.decode()))
    return time.perf_counter() - t


def drop():
    try:
        subprocess.run(['sync'], check=True)
        with open('/proc/sys/vm/drop_caches', 'w') as f:
            f.write('3\n')
        return True
    except OSError:
        return False


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--build', default=os.path.join(HERE, '..', 'build'))
    ap.add_argument('--pairs', type=int, default=100)
    ap.add_argument('--mib', type=int, default=8)
    ap.add_argument('--runs', type=int, default=3)
    a = ap.parse_args()
    cli = os.path.join(a.build, 'src', 'fldcmpr-cli')
    dest = '/tmp/fldcmpr-bench/content-%d-%d' % (a.pairs, a.mib)
    make(dest, a.pairs, a.mib)
    one, two = os.path.join(dest, 'one'), os.path.join(dest, 'two')
    names = sorted(os.listdir(one))
    cmp_script = ' && '.join("cmp -s '%s/%s' '%s/%s'" % (one, n, two, n) for n in names)
    ours = [cli, '--content', '--no-store', '-q', one, two]
    total = 2 * a.pairs * (a.mib << 20)
    timed(['sh', '-c', cmp_script]); timed(ours)  # warm the cache
    tc, to = [], []
    for _ in range(a.runs):
        tc.append(timed(['sh', '-c', cmp_script]))
        to.append(timed(ours))
    mc, mo = statistics.median(tc), statistics.median(to)
    print('%d pairs of %d MiB (%.0f MiB in all)' % (a.pairs, a.mib, total / 2**20))
    print('warm: cmp one pair after another %.3f s, fldcmpr-cli --content %.3f s, ratio %.2f (target <= 1)' %
          (mc, mo, mo / mc))
    if not drop():
        print('cold: skipped, the page cache cannot be dropped here')
        return
    files = ' '.join("'%s/%s' '%s/%s'" % (one, n, two, n) for n in names)
    cat, cold = [], []
    for _ in range(a.runs):
        drop()
        cat.append(timed(['sh', '-c', 'cat %s > /dev/null' % files]))
        drop()
        cold.append(timed(ours))
    rc, ro = total / statistics.median(cat) / 2**20, total / statistics.median(cold) / 2**20
    print('cold: cat %.0f MiB/s, fldcmpr-cli --content %.0f MiB/s, %.0f %% of cat (target >= 80 %%)' %
          (rc, ro, 100 * ro / rc))


if __name__ == '__main__':
    main()
