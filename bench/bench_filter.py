#!/usr/bin/env python3
"""What exclusion patterns cost, warm, as ratios measured in one run.

Usage: bench/bench_filter.py [--build DIR] [--runs K]

- Two trees of 100,000 files, each holding one folder of 50,000 files that
  --exclude leaves out, against two trees of the other 50,000 files alone:
  an excluded folder should cost nothing (ratio near 1).
- Two trees of 100,000 files from make-trees with 20 patterns that fit
  nothing there, against the same run without patterns: matching should
  cost little (ratio near 1).
Trees are made once with make-trees and kept in /tmp/fldcmpr-bench/filter
and /tmp/fldcmpr-bench/100000. Each command runs into a store of its own,
medians of K runs, alternating.
"""
import argparse, os, shutil, subprocess, sys, tempfile

import bench_compare  # the cached trees of make-trees
import bench_speed    # medians of alternating runs

HERE = os.path.dirname(os.path.abspath(__file__))
PATTERNS = ['.git/', '.svn/', '.hg/', 'node_modules/', '__pycache__/', 'build/', 'Thumbs.db', 'desktop.ini',
            '.DS_Store', '*~', '*.tmp', '*.bak', '*.o', '*.pyc', 'dist/', 'target/', '.idea/', '*.swp',
            'cache/tmp', 'docs/*.old']


def excluded_trees():
    """small/{one,two}: 50,000 files; big/{one,two}: the same plus noise/ of 50,000."""
    dest = '/tmp/fldcmpr-bench/filter'
    if not os.path.exists(os.path.join(dest, 'done')):
        shutil.rmtree(dest, ignore_errors=True)
        os.makedirs(dest)
        for name, seed in (('small', '1'), ('noise', '2')):
            subprocess.run([sys.executable, bench_compare.MAKE_TREES, os.path.join(dest, name), '50000',
                            '--seed', seed], check=True, stdout=subprocess.DEVNULL)
        for side in ('one', 'two'):  # big: a copy of small with noise moved in
            shutil.copytree(os.path.join(dest, 'small', side), os.path.join(dest, 'big', side), symlinks=True,
                            copy_function=os.link)
            os.rename(os.path.join(dest, 'noise', side), os.path.join(dest, 'big', side, 'noise'))
        open(os.path.join(dest, 'done'), 'w').close()
    return dest


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--build', default=os.path.join(HERE, '..', 'build'))
    ap.add_argument('--runs', type=int, default=7)
    a = ap.parse_args()
    cli = os.path.join(a.build, 'src', 'fldcmpr-cli')
    tmp = tempfile.mkdtemp()
    db = lambda n: ['--db', os.path.join(tmp, n + '.mdb')]
    try:
        d = excluded_trees()
        big, small = os.path.join(d, 'big'), os.path.join(d, 'small')
        t = bench_speed.medians({
            'excluded': [cli, *db('e'), '-q', '--exclude', 'noise/', big + '/one', big + '/two'],
            'plain': [cli, *db('p'), '-q', small + '/one', small + '/two'],
        }, a.runs)[0]
        print('2 x 100,000 files, 50,000 of them in an excluded folder: %.3f s' % t['excluded'])
        print('2 x 50,000 files, no folder excluded:                  %.3f s' % t['plain'])
        print('ratio: %.2f' % (t['excluded'] / t['plain']))
        one, two = bench_speed.trees(100000)
        args = [a for p in PATTERNS for a in ('--exclude', p)]
        t = bench_speed.medians({
            'patterns': [cli, *db('f'), '-q', *args, one, two],
            'none': [cli, *db('n'), '-q', one, two],
        }, a.runs)[0]
        print('2 x 100,000 files, 20 patterns that fit nothing: %.3f s' % t['patterns'])
        print('2 x 100,000 files, no patterns:                  %.3f s' % t['none'])
        print('ratio: %.2f' % (t['patterns'] / t['none']))
    finally:
        shutil.rmtree(tmp)


if __name__ == '__main__':
    main()
