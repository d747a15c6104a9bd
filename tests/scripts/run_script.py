#!/usr/bin/env python3
"""Runs one corpus script with pm-run, as text or compiled with scriptc, and checks what it did.

<name>.out holds the exact standard output (the print statements); <name>.log holds the log lines that
must appear on standard error, in order, each matched as a substring of one log line ("*" stands for
any text). A script with no log expectations must run without errors (exit status 0).
Leading "// pm-run: ARGS" lines pass options to pm-run; "// mode: text" runs the script as text only.
The script goes before a "--then" among the options; a "x.bsi" option names a script of the same
folder (run as text, or compiled in the compiled mode). "// then: FILE" (beside the script) runs FILE
after the frames that --frames draws. Scripts drawing frames open a window and are skipped without a
display.
Scripts listed in pending.txt (behaviour not built yet) are reported as skipped while they fail.
"""
import argparse, os, shutil, subprocess, sys

SKIP = 77


def directives(text):
    args, modes, then = [], None, []
    for line in text.split('\n'):
        if line.startswith('// pm-run:'):
            args += line[len('// pm-run:'):].split()
        elif line.startswith('// mode:'):
            modes = line[len('// mode:'):].split()
        elif line.startswith('// then:'):
            then += line[len('// then:'):].split()
        else:
            break
    return args, modes, then


def line_matches(pattern, line):
    pos = 0
    for part in pattern.split('*'):
        at = line.find(part, pos)
        if at < 0:
            return False
        pos = at + len(part)
    return True


def check_log(expected, log_lines):
    at = 0
    for want in expected:
        while at < len(log_lines) and not line_matches(want, log_lines[at]):
            at += 1
        if at == len(log_lines):
            return 'log line not found (in order): ' + want
        at += 1
    return None


def pending_entries(path, key):
    found = set()
    if os.path.exists(path):
        for line in open(path, encoding='utf-8'):
            line = line.split('#', 1)[0].strip()
            if line == key or line.startswith(key + ':'):
                found.add(line[len(key) + 1:] or 'all')
    return found


def run(opts):
    script = os.path.abspath(opts.script)
    base = script[:-3]
    key = os.path.relpath(base, opts.root).replace(os.sep, '/')
    raw = open(script, 'rb').read()
    text = raw.decode('latin-1')
    args, modes, then_files = directives(text)
    if modes and opts.mode not in modes or opts.mode == 'compiled' and raw.startswith(b'BSB'):
        print('not run as', opts.mode)
        return 0, None
    if '--frames' in args and not os.environ.get('DISPLAY'):
        print('no display to draw frames in')
        return SKIP, None
    work = os.path.join(opts.work, key.replace('/', '.') + '.' + opts.mode)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    # An included script is loaded by its compiled name ("x.bsi" as "x.bsb", beside the including
    # script), so a script whose folder has .bsi files runs from the work folder with them compiled there.
    folder = os.path.dirname(script)
    includes = [f for f in os.listdir(folder) if f.endswith('.bsi')]
    for f in includes:
        c = subprocess.run([opts.scriptc, os.path.join(folder, f), os.path.join(work, f[:-4] + '.bsb')],
                           capture_output=True, text=True)
        if c.returncode != 0:
            return 1, 'scriptc failed on %s: %s' % (f, c.stderr)
    target = script
    if includes:
        target = os.path.join(work, os.path.basename(script))
        shutil.copy(script, target)
    if opts.mode == 'compiled':
        target = os.path.join(work, os.path.basename(base) + '.bsb')
        c = subprocess.run([opts.scriptc, script, target], capture_output=True, text=True)
        if c.returncode != 0:
            return 1, 'scriptc failed: ' + c.stderr
    def resolve(arg):
        if not arg.endswith('.bsi'):
            return arg
        if opts.mode == 'compiled':
            return os.path.join(work, arg[:-4] + '.bsb')
        return os.path.join(folder, arg)
    args = [resolve(a) for a in args]
    then = args.index('--then') if '--then' in args else len(args)
    env = dict(os.environ, PM_LOG_DIR=work)
    after = ['--then'] + [os.path.join(os.path.dirname(script), f) for f in then_files] if then_files else []
    # Every level is logged, so that a .log file can expect Info lines; a script's own --log-level,
    # coming later, wins.
    p = subprocess.run([opts.pm_run, '--log-level', '2'] + args[:then] + [target] + args[then:] + after,
                       capture_output=True,
                       env=env, timeout=120)
    out = p.stdout.decode('latin-1')
    err = p.stderr.decode('latin-1')
    sys.stdout.write('--- stdout\n' + out + '\n--- stderr\n' + err + '\n--- exit status %d\n' % p.returncode)
    want_out = open(base + '.out', 'rb').read().decode('latin-1') if os.path.exists(base + '.out') else ''
    expected = [l for l in open(base + '.log', encoding='latin-1').read().split('\n') if l] \
        if os.path.exists(base + '.log') else []
    if out != want_out:
        return 1, 'stdout differs; expected:\n' + want_out
    problem = check_log(expected, err.split('\n'))
    if problem:
        return 1, problem
    if not expected and p.returncode != 0:
        return 1, 'exit status %d, expected 0 (no errors)' % p.returncode
    return 0, None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--pm-run', required=True)
    ap.add_argument('--scriptc', required=True)
    ap.add_argument('--mode', choices=['text', 'compiled'], required=True)
    ap.add_argument('--root', required=True)
    ap.add_argument('--work', required=True)
    ap.add_argument('script')
    opts = ap.parse_args()
    status, problem = run(opts)
    if status == SKIP:
        return SKIP
    key = os.path.relpath(os.path.abspath(opts.script)[:-3], opts.root).replace(os.sep, '/')
    pending = pending_entries(os.path.join(opts.root, 'pending.txt'), key)
    is_pending = 'all' in pending or opts.mode in pending
    if status:
        print('FAILED:', problem)
        if is_pending:
            print('(listed in pending.txt: behaviour not built yet)')
            return SKIP
        return 1
    if is_pending:
        print('passes now: remove "%s" from pending.txt' % key)
    return 0


if __name__ == '__main__':
    sys.exit(main())
