#!/usr/bin/env python3
"""Carrying out a plan, against cp -a and rsync -a of the same files.

Usage: bench/bench_sync.py [--build DIR] [--runs K]

Folder 1 holds 200 files of 1 MiB and 5,000 files of 4 KiB in 50 folders
(made once in /tmp/fldcmpr-bench/sync); folder 2 starts empty each run.
Each run, warm, medians of K, alternating:
- fldcmpr-cli --sync update-2 --apply (compare, then copy every file safely:
  temporary file, flush to disk, time and mode, rename);
- cp -a ONE/. TWO, and rsync -a ONE/ TWO/ (no flush to disk);
- rsync -a --fsync, which flushes each file as the plan does.
The files and bytes of the plan, the times and their ratios to cp -a.
"""
import argparse, os, shutil, statistics, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))


def tree():
    one = '/tmp/fldcmpr-bench/sync/one'
    if not os.path.exists(one + '/done'):
        shutil.rmtree(one, ignore_errors=True)
        for d in range(50):
            os.makedirs('%s/d%02d' % (one, d))
        rnd = os.urandom(1 << 20)
        for i in range(200):
            with open('%s/d%02d/big%03d.bin' % (one, i % 50, i), 'wb') as f:
                f.write(rnd[i:] + rnd[:i])
        for i in range(5000):
            with open('%s/d%02d/small%04d.txt' % (one, i % 50, i), 'wb') as f:
                f.write(rnd[i:i + 4096])
        open(one + '/done', 'w').close()
    return one


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--build', default=os.path.join(HERE, '..', 'build'))
    ap.add_argument('--runs', type=int, default=5)
    a = ap.parse_args()
    cli = os.path.join(a.build, 'src', 'fldcmpr-cli')
    one = tree()
    work = tempfile.mkdtemp(dir='/tmp/fldcmpr-bench/sync')
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, 'share'))
    cmds = {
        'fldcmpr-cli --sync update-2 --apply': lambda two: [cli, '--sync', 'update-2', '--apply', '--exclude', 'done', one, two],
        'cp -a': lambda two: ['cp', '-a', one + '/.', two],
        'rsync -a': lambda two: ['rsync', '-a', '--exclude', 'done', one + '/', two + '/'],
        'rsync -a --fsync': lambda two: ['rsync', '-a', '--fsync', '--exclude', 'done', one + '/', two + '/'],
    }
    times = {k: [] for k in cmds}
    empty = os.path.join(work, 'empty')
    os.makedirs(empty)
    plan = subprocess.run([cli, '--sync', 'update-2', '--exclude', 'done', one, empty], capture_output=True, text=True)
    lines = [l.split('\t') for l in plan.stdout.splitlines()]
    files, size = len(lines), sum(int(l[3]) for l in lines)
    for r in range(a.runs + 1):
        for k, c in cmds.items():
            two = os.path.join(work, 'two')
            shutil.rmtree(two, ignore_errors=True)
            os.makedirs(two)
            subprocess.run(['sync'])
            t = time.perf_counter()
            p = subprocess.run(c(two), env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            dt = time.perf_counter() - t
            if p.returncode != 0:
                sys.exit('failed: %s\n%s' % (k, p.stderr.decode()))
            if r > 0:  # the first round warms the cache
                times[k].append(dt)
    shutil.rmtree(work)
    ref = statistics.median(times['cp -a'])
    print('plan update-2 into an empty folder: %d files, %d bytes' % (files, size))
    print('| run | median time | ratio to cp -a |')
    print('|---|---|---|')
    for k, v in times.items():
        m = statistics.median(v)
        print('| %s | %.3f s | %.2f |' % (k, m, m / ref))


if __name__ == '__main__':
    main()
