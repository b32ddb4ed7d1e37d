#!/usr/bin/env python3
"""The comparison's speed and memory against the listing tools, in one table.

Usage: bench/bench_speed.py [--build DIR] [--cli PATH] [--window PATH]
                            [--files N] [--big N] [--runs K] [--no-cold]

Needs the peers installed: apt-get install -y bfs fd-find rsync
Dropping the page cache for the cold runs needs root; without it the cold
rows say so and are left out.

Trees come from make-trees (kept in /tmp/fldcmpr-bench/N). Measured, medians
of K runs, each run of the tools alternating:
- warm, two trees of N files: fldcmpr-cli (into a store, and --no-store),
  find, bfs, fdfind (as it is, and made to read each file's status with a
  size bound), rsync -rn -i, and bench_statwalk: a walk on 8 threads that
  reads every file's status and keeps nothing, the floor for any comparison
  by size and time;
- cold, the same with the page cache dropped before each run;
- one tree of N files against an empty folder: --no-store on all readers
  against --threads 1;
- two trees of BIG files: fldcmpr-cli's time and peak memory, and the
  window's whole run (bench_window under the offscreen platform: window
  opened, walk, store, grid filled) against it;
- the CLI's time per file at BIG against that at N.
"""
import argparse, os, shutil, statistics, subprocess, sys, tempfile, time

import bench_compare  # the cached trees of make-trees

HERE = os.path.dirname(os.path.abspath(__file__))
DROP = '/proc/sys/vm/drop_caches'


def trees(n):
    dest = bench_compare.trees(n)[0]
    return os.path.join(dest, 'one'), os.path.join(dest, 'two')


def run_peak(cmd, env=None):
    """Wall time and peak resident memory in MiB, read by wait4."""
    t = time.perf_counter()
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    _, status, usage = os.wait4(p.pid, 0)
    dt = time.perf_counter() - t
    p.returncode = os.waitstatus_to_exitcode(status)
    if p.returncode not in (0, 1):
        sys.exit('failed (%d): %s' % (p.returncode, ' '.join(cmd)))
    return dt, usage.ru_maxrss / 1024


def can_drop():
    try:
        with open(DROP, 'w') as f:
            f.write('3\n')
        return True
    except OSError:
        return False


def drop():
    os.sync()
    with open(DROP, 'w') as f:
        f.write('3\n')


def medians(cmds, runs, cold=False, peak=False, env=None):
    """Median time (and peak memory) of each named command, alternating."""
    times = {k: [] for k in cmds}
    peaks = {k: [] for k in cmds}
    if not cold:
        for c in cmds.values():  # warm the cache
            run_peak(c, env)
    for _ in range(runs):
        for k, c in cmds.items():
            if cold:
                drop()
            dt, mib = run_peak(c, env)
            times[k].append(dt)
            peaks[k].append(mib)
    return ({k: statistics.median(v) for k, v in times.items()},
            {k: statistics.median(v) for k, v in peaks.items()})


def listing(one, two, cli, db, statwalk):
    cmds = {
        'fldcmpr-cli': [cli, '--db', db, one, two],
        'fldcmpr-cli --no-store': [cli, '--no-store', one, two],
        'find': ['find', one, two, '-type', 'f', '-printf', '%s %T@ %p\\n'],
    }
    if shutil.which('bfs'):
        cmds['bfs'] = ['bfs', one, two, '-type', 'f', '-printf', '%s %T@ %p\\n']
    if shutil.which('fdfind'):
        cmds['fdfind -u -t f'] = ['fdfind', '-u', '-t', 'f', '.', one, two]
        # A size bound that every file meets makes fdfind read each file's status.
        cmds['fdfind -u -t f -S -100g'] = ['fdfind', '-u', '-t', 'f', '-S', '-100g', '.', one, two]
    if os.path.exists(statwalk):
        cmds['stat walk, nothing kept (bench_statwalk 8)'] = [statwalk, '8', one, two]
    if shutil.which('rsync'):
        cmds['rsync -rn -i'] = ['rsync', '-rn', '-i', one + '/', two + '/']
    return cmds


def table(title, t, ref, mem=None):
    print('\n%s\n' % title)
    print('| run | median time | ratio to %s |%s' % (ref, ' peak memory |' if mem else ''))
    print('|---|---|---|%s' % ('---|' if mem else ''))
    for k, v in t.items():
        print('| %s | %.3f s | %.2f |%s' % (k, v, v / t[ref], ' %.0f MiB |' % mem[k] if mem else ''))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--build', default=os.path.join(HERE, '..', 'build'))
    ap.add_argument('--cli')
    ap.add_argument('--window')
    ap.add_argument('--files', type=int, default=100000)
    ap.add_argument('--big', type=int, default=1000000, help='0 leaves the big trees out')
    ap.add_argument('--runs', type=int, default=5)
    ap.add_argument('--no-cold', action='store_true')
    a = ap.parse_args()
    cli = a.cli or os.path.join(a.build, 'src', 'fldcmpr-cli')
    window = a.window or os.path.join(a.build, 'bench', 'bench_window')
    statwalk = os.path.join(a.build, 'bench', 'bench_statwalk')
    tmp = tempfile.mkdtemp()
    db = os.path.join(tmp, 'Cmpr.mdb')
    print('machine: %d cores; %s' % (os.cpu_count(), subprocess.run([cli, '--version'], stdout=subprocess.PIPE)
                                     .stdout.decode().strip()))

    one, two = trees(a.files)
    t, m = medians(listing(one, two, cli, db, statwalk), a.runs)
    table('warm, 2 x %d files' % a.files, t, 'find', m)
    per_file_small = t['fldcmpr-cli'] / (2 * a.files)

    if a.no_cold:
        print('\ncold: left out (--no-cold)')
    elif not can_drop():
        print('\ncold: left out: dropping the page cache needs root')
    else:
        t, _ = medians(listing(one, two, cli, db, statwalk), a.runs, cold=True)
        ref = 'fdfind -u -t f' if 'fdfind -u -t f' in t else 'find'
        table('cold (page cache dropped before each run), 2 x %d files' % a.files, t, ref)

    empty = os.path.join(tmp, 'empty')
    os.mkdir(empty)
    has_threads = '--threads' in subprocess.run([cli, '--help'], stdout=subprocess.PIPE).stdout.decode()
    one_side = {'one thread': [cli, '--no-store', '--threads', '1', one, empty] if has_threads
                else [cli, '--no-store', one, empty],
                'default': [cli, '--no-store', one, empty]}
    t, _ = medians(one_side, a.runs)
    table('warm, %d files against an empty folder (--no-store)' % a.files, t, 'one thread')

    if a.big:
        bone, btwo = trees(a.big)
        env = dict(os.environ, QT_QPA_PLATFORM='offscreen')
        cmds = {'fldcmpr-cli': [cli, '--db', db, bone, btwo],
                'fldcmpr-cli --no-store': [cli, '--no-store', bone, btwo]}
        if os.path.exists(window):
            cmds['window (bench_window)'] = [window, bone, btwo]
        t, m = medians(cmds, max(1, a.runs // 2 + 1), env=env)
        table('warm, 2 x %d files' % a.big, t, 'fldcmpr-cli', m)
        print('\nmemory ratio window / CLI: %s' % ('%.2f' % (m['window (bench_window)'] / m['fldcmpr-cli'])
                                                   if 'window (bench_window)' in m else 'no bench_window'))
        print('CLI time per file at %d against %d: %.2f' %
              (a.big, a.files, (t['fldcmpr-cli'] / (2 * a.big)) / per_file_small))
    shutil.rmtree(tmp)


if __name__ == '__main__':
    main()
