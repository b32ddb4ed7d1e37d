#!/usr/bin/env python3
"""Times the output variants of fldcmpr-cli against its default run.

Usage: bench/bench_cli.py [--build DIR] [--files N] [--runs K]

Makes (or reuses) two trees of about N files each with make-trees under
/tmp/fldcmpr-bench/N, warms the cache, then runs K times each, in turn:
  default   fldcmpr-cli --db TMP ONE TWO
  json      fldcmpr-cli --format json --no-store ONE TWO
  csv       fldcmpr-cli --format csv --no-store ONE TWO
  tsv       fldcmpr-cli --no-store ONE TWO
all writing to /dev/null. Prints each variant's median time and its ratio
to the default run, and each one's peak memory (its largest run).
"""
import argparse, os, statistics, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from bench_compare import trees  # noqa: E402


def timed(cmd):
    """Seconds and peak memory (KiB) of one run."""
    t = time.perf_counter()
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = p.stderr.read()
    _, status, ru = os.wait4(p.pid, 0)
    dt = time.perf_counter() - t
    code = os.waitstatus_to_exitcode(status)
    if code not in (0, 1):
        sys.exit('failed (%d): %s\n%s' % (code, ' '.join(cmd), err.decode()))
    return dt, ru.ru_maxrss


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--build', default=os.path.join(HERE, '..', 'build'))
    ap.add_argument('--files', type=int, default=1000000)
    ap.add_argument('--runs', type=int, default=3)
    a = ap.parse_args()
    cli = os.path.join(a.build, 'src', 'fldcmpr-cli')
    dest, stats = trees(a.files)
    one, two = os.path.join(dest, 'one'), os.path.join(dest, 'two')
    db = os.path.join(tempfile.mkdtemp(), 'Cmpr.mdb')
    variants = {
        'default': [cli, '--db', db, one, two],
        'json': [cli, '--format', 'json', '--no-store', one, two],
        'csv': [cli, '--format', 'csv', '--no-store', one, two],
        'tsv': [cli, '--no-store', one, two],
    }
    for cmd in variants.values():
        timed(cmd)  # warm the cache
    times = {k: [] for k in variants}
    peaks = {k: 0 for k in variants}
    for _ in range(a.runs):
        for k, cmd in variants.items():
            dt, peak = timed(cmd)
            times[k].append(dt)
            peaks[k] = max(peaks[k], peak)
    base = statistics.median(times['default'])
    print('files per tree %d (%s)' % (a.files, stats))
    for k in variants:
        m = statistics.median(times[k])
        print('  %-8s %.3f s  ratio %.2f  peak memory %.1f MiB (ratio %.2f)' %
              (k, m, m / base, peaks[k] / 1024, peaks[k] / peaks['default']))


if __name__ == '__main__':
    main()
