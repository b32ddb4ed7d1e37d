#!/usr/bin/env python3
"""fldcmpr-cli through the real executable, its output read back by real
parsers: Python's csv and json modules, and the documented escapes of tsv.

Usage: test_cli_formats.py FLDCMPR_CLI MAKE_TREES MANUAL_PAGE
"""
import csv
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

CLI = MAKE_TREES = MANUAL = None
T = 1_700_000_000 - 1_700_000_000 % 60  # on a whole minute


def run(*args, **kw):
    kw.setdefault('stdout', subprocess.PIPE)
    return subprocess.run([CLI, *args], stderr=subprocess.PIPE, **kw)


def make(path, data=b'x', mtime=T):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)
    os.utime(path, (mtime, mtime))


def unescape_tsv(cell):
    """The tsv escapes: \\\\ \\t \\n \\r and \\xHH for a byte that is not UTF-8."""
    out, i, b = bytearray(), 0, cell.encode('utf-8')
    while i < len(b):
        if b[i:i + 1] == b'\\':
            c = b[i + 1:i + 2]
            if c == b'x':
                out.append(int(b[i + 2:i + 4], 16))
                i += 4
                continue
            out += {b'\\': b'\\', b't': b'\t', b'n': b'\n', b'r': b'\r'}[c]
            i += 2
        else:
            out.append(b[i])
            i += 1
    return bytes(out)


class Trees(unittest.TestCase):
    # names with every character a format must take care of, and bytes
    # that are not UTF-8, in file and folder names
    ODD = [b'tab\there', b'line\nbreak', b'quote"d', b'comma,name', b'back\\slash', b'cr\rname',
           b'\xff\xfe bytes', b'\xe6\x97\xa5\xe6\x9c\xac.txt', b'plain.tar.gz']

    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.one = os.path.join(self.dir, 'one').encode()
        self.two = os.path.join(self.dir, 'two').encode()
        os.makedirs(self.one)
        os.makedirs(self.two)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def odd_trees(self):
        """Every odd name on both sides (same time), below an odd folder
        only in one, plus a 0-byte file in one and a newer copy in two."""
        for n in self.ODD:
            make(os.path.join(self.one, n))
            make(os.path.join(self.two, n))
            make(os.path.join(self.one, b'sub\t\xff', n), b'abc')
        make(os.path.join(self.one, b'empty'), b'')
        make(os.path.join(self.one, b'newer'), b'12', T)
        make(os.path.join(self.two, b'newer'), b'1234', T + 3600)

    def expected(self):
        """(folder, name, code, size1, mtime1, size2, mtime2) of each row."""
        rows = {}
        for n in self.ODD:
            rows[(b'', n)] = ('1=2', 1, T, 1, T)
            rows[(b'sub\t\xff', n)] = ('1-*', 3, T, None, None)
        rows[(b'', b'empty')] = ('1-*', 0, T, None, None)
        rows[(b'', b'newer')] = ('2>1', 2, T, 4, T + 3600)
        return rows


class ExitStatus(Trees):
    def test_same_different_and_trouble(self):
        make(os.path.join(self.one, b'a'))
        make(os.path.join(self.two, b'A'))  # the same file in another case
        make(os.path.join(self.two, b'b'), mtime=T + 30)
        make(os.path.join(self.one, b'b'), mtime=T + 5)  # the same minute
        self.assertEqual(run('--no-store', self.one, self.two).returncode, 0)
        make(os.path.join(self.two, b'c'))
        self.assertEqual(run('--no-store', '-q', self.one, self.two).returncode, 1)
        self.assertEqual(run('--no-store', self.one, os.path.join(self.dir, 'missing')).returncode, 2)
        self.assertEqual(run('--no-store', '--bogus', self.one, self.two).returncode, 2)
        db_in_a_file = os.path.join(self.dir, 'one', 'a', 'r.db')
        self.assertEqual(run('--db', db_in_a_file, self.one, self.two).returncode, 2)
        with open('/dev/full', 'wb') as full:
            r = run('--no-store', self.one, self.two, stdout=full)
        self.assertEqual(r.returncode, 2, r.stderr)

    @unittest.skipIf(os.geteuid() == 0, 'needs a user without root rights: an unreadable folder')
    def test_an_unreadable_folder_is_trouble_but_the_rows_are_printed(self):
        make(os.path.join(self.one, b'a'))
        make(os.path.join(self.two, b'a'))
        locked = os.path.join(self.two, b'locked')
        make(os.path.join(locked, b'x'))
        os.chmod(locked, 0)
        try:
            r = run('--no-store', self.one, self.two)
        finally:
            os.chmod(locked, 0o755)
        self.assertEqual(r.returncode, 2)
        self.assertEqual(r.stdout.count(b'\n'), 1)
        self.assertIn(locked, r.stderr)

    def test_double_dash_ends_the_options(self):
        os.makedirs(os.path.join(self.dir, '-V'))
        r = run('--no-store', '--', '-V', '-V', cwd=self.dir)
        self.assertEqual(r.returncode, 0, r.stderr)
        r = run('--version')
        self.assertEqual(r.returncode, 0)
        self.assertRegex(r.stdout.decode(), r'^fldcmpr-cli \d+\.\d+')


class Formats(Trees):
    def check(self, got):
        self.assertEqual(dict(got), self.expected())
        self.assertEqual(len(got), len(self.expected()))

    def test_tsv_one_line_a_row_with_escapes(self):
        self.odd_trees()
        r = run('--no-store', '--bytes', '--header', self.one, self.two)
        self.assertEqual(r.returncode, 1, r.stderr)
        lines = r.stdout.decode('utf-8').split('\n')
        self.assertEqual(lines.pop(), '')
        self.assertEqual(lines.pop(0).split('\t')[:4], ['ﾊﾟｽ', 'ﾌｧｲﾙ名', '拡張子', '比較'])
        got = []
        for line in lines:
            c = line.split('\t')
            self.assertEqual(len(c), 8, line)
            name = unescape_tsv(c[1]) + (b'.' + unescape_tsv(c[2]) if c[2] else b'')
            got.append(((unescape_tsv(c[0]), name), c[3], c[4], c[6]))
        exp = {k: (v[0], '' if v[1] is None else str(v[1]), '' if v[3] is None else str(v[3]))
               for k, v in self.expected().items()}
        self.assertEqual({k: (a, b, c) for k, a, b, c in got}, exp)

    def test_csv_read_by_the_csv_module(self):
        self.odd_trees()
        r = run('--no-store', '--format', 'csv', '--bom', '--header', '--bytes', self.one, self.two)
        self.assertEqual(r.returncode, 1, r.stderr)
        self.assertTrue(r.stdout.startswith(b'\xef\xbb\xbf'))
        rows = list(csv.reader(io.StringIO(r.stdout.decode('utf-8-sig'), newline='')))
        self.assertEqual(rows[0][4], 'ﾌｫﾙﾀﾞ1 ｻｲｽﾞ')
        got = {}
        for c in rows[1:]:
            self.assertEqual(len(c), 8, c)
            # a byte that is not UTF-8 is shown as \xHH: the csv is for people
            folder = c[0]
            name = c[1] + ('.' + c[2] if c[2] else '')
            got[(folder, name)] = (c[3], c[4], c[6])
        shown = lambda b: ''.join(ch if ord(ch) < 0xdc80 or ord(ch) > 0xdcff else '\\x%02X' % (ord(ch) - 0xdc00)
                                  for ch in b.decode('utf-8', 'surrogateescape'))
        exp = {(shown(k[0]), shown(k[1])): (v[0], '' if v[1] is None else str(v[1]), '' if v[3] is None else str(v[3]))
               for k, v in self.expected().items()}
        self.assertEqual(got, exp)
        self.assertIn(b'\r\n', r.stdout)

    def test_json_raw_values_and_exact_bytes(self):
        self.odd_trees()
        r = run('--no-store', '--format', 'json', '--summary', self.one, self.two)
        self.assertEqual(r.returncode, 1, r.stderr)
        lines = r.stdout.decode('utf-8').splitlines()
        objs = [json.loads(x) for x in lines]
        summary = objs.pop()['summary']
        self.assertEqual(summary['codes'], {'1-*': 10, '2-*': 0, '1=2': 9, '1>2': 0, '2>1': 1})
        self.assertEqual(summary['rows'], 20)
        self.assertEqual(summary['folder1'], self.one.decode())
        got = {}
        for o in objs:
            folder = bytes.fromhex(o['folder_bytes']) if 'folder_bytes' in o else o['folder'].encode()
            name = bytes.fromhex(o['name_bytes']) if 'name_bytes' in o else o['name'].encode()
            got[(folder, name)] = (o['code'], o['size1'], o['epoch1'], o['size2'], o['epoch2'])
            for side in '12':
                if o['epoch' + side] is not None:  # the text and the number are one time
                    from datetime import datetime
                    self.assertEqual(datetime.fromisoformat(o['time' + side]).timestamp(), o['epoch' + side])
                else:
                    self.assertIsNone(o['time' + side])
        self.assertEqual(got, self.expected())


class Criteria(Trees):
    def test_size_content_and_tolerance_switches(self):
        make(os.path.join(self.one, b'size'), b'abc')
        make(os.path.join(self.two, b'size'), b'abcd')
        make(os.path.join(self.one, b'bytes'), b'abc')
        make(os.path.join(self.two, b'bytes'), b'abd')
        make(os.path.join(self.one, b'fat'), mtime=T + 59)
        make(os.path.join(self.two, b'fat'), mtime=T + 61)
        make(os.path.join(self.one, b'zone'), mtime=T)
        make(os.path.join(self.two, b'zone'), mtime=T + 3600)

        def codes(*opts):
            r = run('--no-store', '--format', 'json', *opts, self.one, self.two)
            return r.returncode, {o['name']: o['code'] for o in map(json.loads, r.stdout.decode().splitlines())}

        self.assertEqual(codes(), (1, {'size': '1=2', 'bytes': '1=2', 'fat': '2>1', 'zone': '2>1'}))
        self.assertEqual(codes('--size')[1]['size'], '1≠2')
        self.assertEqual(codes('--content')[1], {'size': '1≠2', 'bytes': '1≠2', 'fat': '2>1', 'zone': '2>1'})
        self.assertEqual(codes('--tolerance', '2s')[1]['fat'], '1=2')
        self.assertEqual(codes('--tolerance=2s', '--ignore-hours')[1], {'size': '1=2', 'bytes': '1=2', 'fat': '1=2',
                                                                       'zone': '1=2'})
        self.assertEqual(codes('--ignore-hours')[0], 0)  # no differences under that rule
        self.assertEqual(codes('--content', '--ignore-hours')[0], 1)  # 1≠2 is a difference
        r = run('--no-store', '--content', '--summary', '-q', self.one, self.two)
        self.assertIn('1≠2: 2', r.stderr.decode())
        self.assertEqual(run('--no-store', '--tolerance', '5s', self.one, self.two).returncode, 2)
        for bad in ('0', '65', 'x'):
            self.assertEqual(run('--no-store', '--threads', bad, self.one, self.two).returncode, 2)
        rows = [run('--no-store', '--threads', n, self.one, self.two).stdout for n in ('1', '7')]
        self.assertEqual(rows[0], rows[1])
        two = run('--no-store', '--mode', '2', '--content', self.one, self.two).stdout.decode()
        self.assertEqual(sorted(line.split('\t')[1] for line in two.splitlines()), ['bytes', 'fat', 'size', 'zone'])

    def test_moves_name_both_places_only_when_asked(self):
        make(os.path.join(self.one, b'a', b'\xff odd.jpg'), b'photo')
        make(os.path.join(self.two, b'b', b'renamed, "it".jpg'), b'photo')
        plain = run('--no-store', '--format', 'csv', '--header', self.one, self.two).stdout.decode()
        self.assertEqual([len(r) for r in csv.reader(io.StringIO(plain))], [8, 8, 8])
        moved = run('--no-store', '--moves', '--format', 'csv', '--header', self.one, self.two)
        rows = list(csv.reader(io.StringIO(moved.stdout.decode())))
        self.assertEqual(rows[0][8], '移動先')
        self.assertEqual([r[3] for r in rows[1:]], ['1↔2'])
        self.assertEqual(rows[1][8], 'b/renamed, "it".jpg')
        tsv = run('--no-store', '--moves', self.one, self.two).stdout.decode().rstrip('\n').split('\t')
        self.assertEqual(tsv[1], '\\xFF odd')
        j = json.loads(run('--no-store', '--moves', '--format', 'json', self.one, self.two).stdout)
        self.assertEqual((j['folder'], j['name_bytes'], j['folder2'], j['name2']),
                         ('a', 'ff206f64642e6a7067', 'b', 'renamed, "it".jpg'))
        self.assertIn('1↔2: 1', run('--no-store', '--moves', '--summary', '-q', self.one, self.two).stderr.decode())
        self.assertNotIn('1↔2', run('--no-store', '--summary', '-q', self.one, self.two).stderr.decode())


class Manual(unittest.TestCase):
    def test_the_manual_page_names_every_option_of_the_help(self):
        import re
        help_text = run('--help').stdout.decode()
        options = set(re.findall(r'(?<![\w-])(--[a-z][a-z-]*|-[qh])\b', help_text))
        self.assertTrue({'--format', '--no-store', '--summary', '--version', '-q'} <= options, options)
        page = open(MANUAL, encoding='utf-8').read().replace('\\-', '-')
        for o in sorted(options):
            self.assertRegex(page, r'(?<![\w-])' + re.escape(o) + r'\b', o)


class Summary(unittest.TestCase):
    def test_counts_agree_with_make_trees(self):
        d = tempfile.mkdtemp()
        try:
            made = subprocess.run([sys.executable, MAKE_TREES, d, '3000'], capture_output=True, check=True)
            kinds = dict(kv.split('=') for kv in made.stdout.decode().split()[4:])
            kinds = {k: int(v) for k, v in kinds.items()}
            want = {'1-*': kinds['missing'], '2-*': kinds['extra'], '2>1': kinds['newer2'], '1>2': kinds['newer1'],
                    '1=2': kinds['seconds'] + kinds['case'] + kinds['same']}
            one, two = os.path.join(d, 'one'), os.path.join(d, 'two')
            r = run('--no-store', '--summary', '-q', one, two)
            self.assertEqual(r.returncode, 1)
            self.assertEqual(r.stdout, b'')
            lines = dict(x.split(': ', 1) for x in r.stderr.decode().splitlines())
            self.assertEqual({k: int(lines[k]) for k in want}, want)
            self.assertEqual(int(lines['行数']), sum(want.values()))
            self.assertEqual(lines['ﾌｫﾙﾀﾞ1'], one)
            self.assertEqual(int(lines['読めなかったﾌｫﾙﾀﾞとﾌｧｲﾙ']), 0)
            j = run('--no-store', '--summary', '-q', '--format', 'json', one, two)
            self.assertEqual(json.loads(j.stdout)['summary']['codes'], want)
            # without a store the rows are formatted in pieces on several
            # threads: the same bytes as on one, pieces of hidden rows too
            for args in (['--header'], ['--format', 'json', '--mode', '1', '--summary'], ['--format', 'csv', '--mode', '2']):
                many, one_thread = (run('--no-store', *args, *t, one, two) for t in ([], ['--threads', '1']))
                self.assertEqual(many.stdout, one_thread.stdout, args)
                self.assertEqual(many.stderr, one_thread.stderr, args)
            self.assertEqual(len(run('--no-store', one, two).stdout.splitlines()), sum(want.values()))
        finally:
            shutil.rmtree(d)


class Store(unittest.TestCase):
    def test_no_store_unless_asked_and_the_programs_store_is_beside_it(self):
        d = tempfile.mkdtemp()
        try:
            cli = os.path.join(d, 'bin', 'fldcmpr-cli')
            os.makedirs(os.path.dirname(cli))
            shutil.copy(CLI, cli)
            make(os.path.join(d, 'one', 'a'))
            os.makedirs(os.path.join(d, 'two'))
            for opts in (['--no-store'], []):  # nothing written unless asked
                r = subprocess.run([cli, *opts, os.path.join(d, 'one'), os.path.join(d, 'two')], capture_output=True)
                self.assertEqual(r.returncode, 1, r.stderr)
                self.assertEqual(sorted(os.listdir(os.path.join(d, 'bin'))), ['fldcmpr-cli'])
            r = subprocess.run([cli, '--store', os.path.join(d, 'one'), os.path.join(d, 'two')], capture_output=True)
            self.assertEqual(r.returncode, 1, r.stderr)
            self.assertTrue(os.path.isfile(os.path.join(d, 'bin', 'usData', 'Cmpr.mdb')))
            env = dict(os.environ, HOME='/nonexistent')  # a system account: works, writes nothing
            env.pop('XDG_DATA_HOME', None)
            r = subprocess.run([cli, os.path.join(d, 'one'), os.path.join(d, 'two')], capture_output=True, env=env)
            self.assertEqual((r.returncode, r.stdout.count(b'\n')), (1, 1), r.stderr)
        finally:
            shutil.rmtree(d)

    @unittest.skipIf(os.geteuid() == 0, 'needs a user without root rights: a folder root cannot write into')
    def test_a_program_folder_that_cannot_be_written_puts_the_store_in_the_users_data_folder(self):
        d = tempfile.mkdtemp()
        try:
            bin_ = os.path.join(d, 'bin')
            os.makedirs(bin_)
            shutil.copy(CLI, bin_)
            make(os.path.join(d, 'one', 'a'))
            os.makedirs(os.path.join(d, 'two'))
            os.chmod(bin_, 0o555)
            home = os.path.join(d, 'home')
            os.makedirs(home)
            env = {k: v for k, v in os.environ.items() if k != 'XDG_DATA_HOME'}
            env['HOME'] = home
            cli = os.path.join(bin_, 'fldcmpr-cli')
            args = [cli, '--store', os.path.join(d, 'one'), os.path.join(d, 'two')]
            r = subprocess.run(args, capture_output=True, env=env)
            self.assertEqual(r.returncode, 1, r.stderr)
            store = os.path.join(home, '.local', 'share', 'FldCmpr', 'usData', 'Cmpr.mdb')
            self.assertTrue(os.path.isfile(store))
            self.assertEqual(os.listdir(bin_), ['fldcmpr-cli'])
            self.assertIn(store, subprocess.run([cli, '--help'], capture_output=True, env=env).stdout.decode())
            env['XDG_DATA_HOME'] = os.path.join(d, 'xdg')
            self.assertEqual(subprocess.run(args, capture_output=True, env=env).returncode, 1)
            self.assertTrue(os.path.isfile(os.path.join(d, 'xdg', 'FldCmpr', 'usData', 'Cmpr.mdb')))
        finally:
            os.chmod(os.path.join(d, 'bin'), 0o755)
            shutil.rmtree(d)


if __name__ == '__main__':
    CLI, MAKE_TREES, MANUAL = (os.path.abspath(a) for a in sys.argv[1:4])
    del sys.argv[1:4]
    unittest.main(verbosity=2)
