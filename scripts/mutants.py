#!/usr/bin/env python3
"""Mutation harness: how many small faults in the product code do the native suites catch?

    scripts/mutants.py --seed 17 --count 100            # sample, build and test each mutant
    scripts/mutants.py --seed 17 --count 100 --list     # only print the sample
    scripts/mutants.py --sample-in scripts/mutants-baseline.json --rev HEAD

Each mutant is one change to one line of app/ devctl/ io/ open/ pathq/ report/ session/
(--with-sys adds sys/): a relational operator swapped, && <-> ||, an integer constant +-1, an
if/while condition negated, a blank taken out of a string literal, or a call or assignment
deleted. Only files the native test programs compile are mutated (the rules of CMakeLists.txt).
The work happens on a private copy: build/mutants/src, built Release in build/mutants/build.
A mutant is killed when hb_tests or hb_conformance fails or times out; one that does not build
is not counted, nor one whose object file is byte-identical to the original ("equivalent?").
"""
import argparse, hashlib, io, json, os, random, re, signal, subprocess, sys, tarfile, time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / 'build' / 'mutants'
SRC, BLD = WORK / 'src', WORK / 'build'
DIRS = ['app', 'devctl', 'io', 'open', 'pathq', 'report', 'session']
NATIVE_LIBS = ['app', 'report', 'open', 'io', 'pathq', 'devctl', 'ui', 'sys', 'session']

REL = re.compile(r'(?<= )(<=|>=|==|!=|<|>)(?= )')  # clang-format: blanks around, not templates
SWAP = {'<': '<=', '<=': '<', '>': '>=', '>=': '>', '==': '!=', '!=': '=='}
LOGIC = re.compile(r'(?<= )(&&|\|\|)(?= )')
NUMBER = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F']+|[1-9][\d']*|0)([uUlLzZ]*)(?![\w.'])")
COND = re.compile(r'\b(if|while) \(')
RAW = re.compile(r'(?<!\w)(?:u8|u|U|L)?R"([^()\\ ]{0,16})\(')
CALL = re.compile(r'[A-Za-z_:*][^\s(]*\(')
ASSIGN = re.compile(r'[A-Za-z_:*][^\s=]* (?:[-+*/%&|^]|<<|>>)?= ')
INCR = re.compile(r'(?:\+\+|--)[\w.\->\[\]]+;|[\w.\->\[\]]+(?:\+\+|--);')
NOT_CALLS = {'return', 'static_assert', 'sizeof', 'if', 'while', 'for', 'switch', 'catch'}


def lex(lines):
    """Per line: the line with comments blanked and literal contents turned to '_' (same
    length), and the spans of its ordinary string literals."""
    block, raw = False, None
    for line in lines:
        out, spans, i, n = list(line), [], 0, len(line)
        while i < n:
            if block or raw:
                close = '*/' if block else raw
                j = line.find(close, i)
                end = n if j < 0 else j + len(close)
                out[i:end] = (' ' if block else '_') * (end - i)
                block, raw = (block and j < 0), (raw if j < 0 else None)
                i = end
                continue
            if line.startswith('//', i):
                out[i:] = ' ' * (n - i)
                break
            if line.startswith('/*', i):
                out[i:i + 2], block, i = '  ', True, i + 2
                continue
            m = RAW.match(line, i)
            if m:
                out[i:m.end()] = '_' * (m.end() - i)
                raw, i = ')' + m.group(1) + '"', m.end()
                continue
            c = line[i]
            if c == "'" and re.search(r"(?<![\w'])\d[\w']*$", line[:i]):
                i += 1  # a digit separator: 1'000
                continue
            if c in '"\'':
                j = i + 1
                while j < n and line[j] != c:
                    j += 2 if line[j] == '\\' else 1
                end = min(j, n)
                out[i + 1:end] = '_' * (end - i - 1)
                if c == '"' and j < n:
                    spans.append((i, j + 1))
                i = end + 1
                continue
            i += 1
        yield ''.join(out), spans


def is_function_header(text):
    """The code before a '{' opens a function body (or lambda) rather than a class, namespace
    or braced initializer."""
    text = ' '.join(text.split())
    flat = None
    while flat != text:  # what is inside parentheses (default arguments) does not count
        flat, text = text, re.sub(r'\([^()]*\)', '()', text)
    return ('(' in text and ' = ' not in text
            and not re.match(r'(template|class|struct|union|enum|namespace)\b', text))


def matching_paren(masked, start):
    depth = 0
    for i in range(start, len(masked)):
        depth += {'(': 1, ')': -1}.get(masked[i], 0)
        if depth == 0:
            return i


def shifted(literal, delta):
    """The integer literal plus delta, in the same base, case and width."""
    hexa = literal[:2] in ('0x', '0X')
    digits = literal[2 if hexa else 0:].replace("'", '')
    value = int(digits, 16 if hexa else 10) + delta
    if not hexa:
        return str(value)
    case = 'x' if any(c in 'abcdef' for c in digits) else 'X'
    return literal[:2] + format(value, f'0{len(digits)}{case}')


def mutants_of(rel, text):
    lines, found = text.split('\n'), []
    scopes, pending, prev_ok, in_pp = [], '', True, False
    for no, (line, (masked, spans)) in enumerate(zip(lines, lex(lines)), 1):
        def add(op, col, orig, repl):
            found.append(dict(file=rel, line=no, col=col, op=op, orig=orig, repl=repl, text=line))
        code = masked.strip()
        pp = in_pp or code.startswith('#')
        in_pp = pp and code.endswith('\\')
        if pp:
            continue
        for m in REL.finditer(masked):
            add('relational', m.start(), m.group(), SWAP[m.group()])
        for m in LOGIC.finditer(masked):
            add('logical', m.start(), m.group(), '||' if m.group() == '&&' else '&&')
        for m in NUMBER.finditer(masked):
            for delta in (1, -1):
                if delta > 0 or int(shifted(m.group(1), 0), 0) > 0:
                    add('constant', m.start(), m.group(), shifted(m.group(1), delta) + m.group(2))
        for m in COND.finditer(masked):
            close = matching_paren(masked, m.end() - 1)
            # A declaration in the condition (if (auto x = f())) cannot be negated.
            if close is not None and not re.search(r';| = ', masked[m.end():close]):
                inner = line[m.end():close]
                add('negate', m.start(), line[m.start():close + 1], f'{m.group(1)} (!({inner}))')
        for a, b in spans:
            blank = line.find(' ', a, b)
            if blank >= 0:
                add('string-blank', a, line[a:b], line[a:blank] + line[blank + 1:b])
        in_code = bool(scopes) and scopes[-1]
        if (in_code and prev_ok and code.endswith(';') and code.count(';') == 1
                and code.count('(') == code.count(')') and not set('{}') & set(code)):
            call = CALL.match(code)
            if (call and call.group()[:-1] not in NOT_CALLS) or ASSIGN.match(code) or INCR.match(code):
                col = len(masked) - len(masked.lstrip())
                add('delete', col, line[col:masked.rindex(';') + 1], '')
        for ch in masked:  # which braces open function bodies, for the statement deletion
            if ch == '{':
                scopes.append(bool(scopes and scopes[-1]) or is_function_header(pending))
            elif ch == '}' and scopes:
                scopes.pop()
            if ch in '{};':
                pending = ''
            else:
                pending += ch
        pending += ' '
        if code:
            prev_ok = code[-1] in ';{}' or bool(re.match(r'(case\b.*|default):$', code))
    return found


def compiled_files(dirs):
    """Product files the native test programs compile: the CMake globs, then what they include."""
    roots = [p for d in NATIVE_LIBS + ['tests', 'tests/conformance'] for p in (SRC / d).glob('*.cpp')
             if not p.name.startswith('Win32') and p.name != 'HbrunMain.cpp']
    seen, todo = set(), list(roots)
    while todo:
        p = todo.pop()
        if p in seen or not p.is_file():
            continue
        seen.add(p)
        for inc in re.findall(r'^\s*#\s*include\s+"([^"]+)"', p.read_text(errors='replace'), re.M):
            todo += [Path(os.path.normpath(d / inc)) for d in (SRC, p.parent)]
    return sorted(str(p.relative_to(SRC)) for p in seen
                  if p.parts[len(SRC.parts)] in dirs and not p.name.startswith('Win32'))


def read_tree(rev):
    """The files of a commit, or of the working tree (tracked files, as they are now)."""
    if rev:
        tar = subprocess.run(['git', 'archive', '--format=tar', rev], cwd=ROOT, check=True,
                             capture_output=True).stdout
        with tarfile.open(fileobj=io.BytesIO(tar)) as t:
            return {m.name: (t.extractfile(m).read(), m.mode) for m in t.getmembers() if m.isfile()}
    names = subprocess.run(['git', 'ls-files', '-z'], cwd=ROOT, check=True,
                           capture_output=True).stdout.decode().split('\0')
    return {n: ((ROOT / n).read_bytes(), (ROOT / n).stat().st_mode & 0o777)
            for n in names if n and (ROOT / n).is_file()}


def sync(files):
    """Writes only what differs, so that the build of an earlier run stays incremental."""
    for name, (data, mode) in files.items():
        dest = SRC / name
        if not dest.is_file() or dest.read_bytes() != data:
            dest.parent.mkdir(parents=True, exist_ok=True)
            dest.write_bytes(data)
            dest.chmod(mode)
    for p in SRC.rglob('*'):
        if p.is_file() and str(p.relative_to(SRC)) not in files:
            p.unlink()


def run(cmd, timeout=None, quiet=False):
    """Runs cmd in its own process group, killed with it on a timeout or an interrupt.
    Returns (exit status or None on timeout, output)."""
    out = subprocess.DEVNULL if quiet else subprocess.PIPE
    p = subprocess.Popen(cmd, cwd=BLD, stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
    try:
        out = p.communicate(timeout=timeout)[0]
        return p.returncode, out or b''
    except subprocess.TimeoutExpired:
        return None, b''
    finally:
        if p.poll() is None:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()


def relocate(saved):
    """Finds each saved mutant by its line text, nearest to its recorded line."""
    found, gone = [], []
    for m in saved:
        path = SRC / m['file']
        lines = path.read_text(errors='surrogateescape').split('\n') if path.is_file() else []
        hits = [i + 1 for i, l in enumerate(lines) if l == m['text']]
        if hits and m['text'][m['col']:m['col'] + len(m['orig'])] == m['orig']:
            found.append(dict(m, line=min(hits, key=lambda i: abs(i - m['line']))))
        else:
            gone.append(m)
    return found, gone


def say(*lines):
    for line in lines:
        print(line, flush=True)


def fail(output, what):
    sys.exit(output.decode(errors='replace')[-4000:] + f'\n{what}')


def describe(m):
    return f"{m['file']}:{m['line']}: '{m['orig']}' -> '{m['repl']}'"


def object_hashes():
    """sha256 of each product object file, by source path relative to the copy."""
    hashes = {}
    for e in json.loads((BLD / 'compile_commands.json').read_text()):
        obj = re.search(r'\s-o\s+(\S+)', e['command'])
        src = Path(e['file']).resolve()
        if obj and SRC in src.parents:
            o = Path(e['directory']) / obj.group(1)
            hashes[str(src.relative_to(SRC))] = (o, hashlib.sha256(o.read_bytes()).hexdigest())
    return hashes


def failing_tests(suites):
    """Every test of every suite that fails (or the suite's name where it times out or dies)."""
    failed, report = [], BLD / 'matrix.json'
    for seconds, cmd in suites:
        report.unlink(missing_ok=True)
        full = [c for c in cmd if c != '--gtest_fail_fast'] + [f'--gtest_output=json:{report}']
        rc, _ = run(full, timeout=max(10.0, 10 * seconds), quiet=True)
        if rc == 0:
            continue
        try:
            suites_json = json.loads(report.read_text())['testsuites']
        except (OSError, ValueError, KeyError):
            failed.append(f'{Path(cmd[0]).name} (timed out or died)')
            continue
        failed += [f"{s['name']}.{t['name']}" for s in suites_json for t in s['testsuite']
                   if t.get('failures')]
    return failed


def only_killers(matrix):
    """Per test, the mutants it alone kills: a test with none adds no power on this sample."""
    alone = {}
    for row in matrix:
        if len(row['killers']) == 1:
            alone.setdefault(row['killers'][0], []).append(row['mutant'])
    lines = ['\nthe only test to kill a mutant:']
    for test, mutants in sorted(alone.items()):
        lines += [f'  {test}: {len(mutants)}'] + [f'    {m}' for m in mutants]
    return lines


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('--count', type=int, default=100)
    ap.add_argument('--rev', help='take the tree of this commit instead of the working tree')
    ap.add_argument('--with-sys', action='store_true', help='also mutate sys/')
    ap.add_argument('--list', action='store_true', help='print the sample, build nothing')
    ap.add_argument('--sample-out', help='write the sample as JSON')
    ap.add_argument('--sample-in', help='apply the mutants of a saved sample')
    ap.add_argument('--jobs', type=int, default=1)
    ap.add_argument('--matrix', help='run every test on each mutant and write which tests kill it'
                    ' (JSON), to see which tests are the only ones to catch a fault')
    args = ap.parse_args()
    os.nice(10)  # a shared machine: others build here too

    sync(read_tree(args.rev))
    say(f"source: {'commit ' + args.rev if args.rev else 'working tree'}, copied to {SRC}")
    gone = []
    if args.sample_in:
        sample, gone = relocate(json.loads(Path(args.sample_in).read_text())['mutants'])
    else:
        files = compiled_files(DIRS + (['sys'] if args.with_sys else []))
        pool = [m for f in files for m in mutants_of(f, (SRC / f).read_text(errors='surrogateescape'))]
        say(f'candidates: {len(pool)} in {len(files)} files')
        sample = random.Random(args.seed).sample(pool, min(args.count, len(pool)))
    sample.sort(key=lambda m: (m['file'], m['line'], m['col']))  # same file in a row: fewer compiles
    if args.sample_out:
        Path(args.sample_out).write_text(json.dumps(
            dict(seed=args.seed, rev=args.rev, mutants=sample), indent=1) + '\n')
    if args.list:
        say(*[f'[{k}/{len(sample)}] {m["op"]} {describe(m)}' for k, m in enumerate(sample, 1)],
            *[f'gone {describe(m)}' for m in gone])
        return 0

    for sig in (signal.SIGINT, signal.SIGTERM):  # both unwind through the restoring finally
        signal.signal(sig, signal.default_int_handler)
    t0 = time.monotonic()
    BLD.mkdir(parents=True, exist_ok=True)
    rc, out = run(['cmake', '-S', str(SRC), '-B', str(BLD), '-G', 'Ninja', '-DCMAKE_BUILD_TYPE=Release',
                   '-DHB_SANITIZE=OFF', '-DHB_WERROR=OFF'])
    if rc != 0:
        fail(out, 'configure failed')
    known = {l.split(':')[0] for l in run(['ninja', '-t', 'targets', 'all'])[1].decode().splitlines()}
    build = ['ninja', f'-j{args.jobs}'] + [t for t in ('hb_tests', 'hb_conformance', 'hbrun') if t in known]
    rc, out = run(build)
    if rc != 0:
        fail(out, 'the unmutated build failed')
    suites = []
    for exe in (BLD / 'tests' / 'hb_tests', BLD / 'tests' / 'hb_conformance'):
        # An unknown --gtest_ flag makes GoogleTest print its help and run nothing.
        probe = run([str(exe), '--gtest_fail_fast', '--gtest_list_tests'])[1]
        fast = [] if b'Google Test' in probe else ['--gtest_fail_fast']
        start = time.monotonic()
        rc, out = run([str(exe)] + fast)
        if rc != 0 or b'[  PASSED  ]' not in out:
            fail(out, f'{exe.name} fails unmutated')
        suites.append((time.monotonic() - start, [str(exe)] + fast))
    suites.sort()  # the cheapest first: a mutant it kills costs no run of the dearer one
    objects = object_hashes()
    say(f"baseline: ready in {time.monotonic() - t0:.0f}s; suites " +
        ', '.join(f'{Path(c[0]).name} {s:.1f}s' for s, c in suites))

    results, matrix, t1 = [], [], time.monotonic()
    for k, m in enumerate(sample, 1):
        path = SRC / m['file']
        original = path.read_bytes()
        lines = original.decode(errors='surrogateescape').split('\n')
        line = lines[m['line'] - 1]
        lines[m['line'] - 1] = line[:m['col']] + m['repl'] + line[m['col'] + len(m['orig']):]
        try:
            path.write_bytes('\n'.join(lines).encode(errors='surrogateescape'))
            rc, _ = run(build, timeout=3600, quiet=True)
            if rc != 0:
                verdict = 'unbuildable'
            elif m['file'] in objects and hashlib.sha256(
                    objects[m['file']][0].read_bytes()).hexdigest() == objects[m['file']][1]:
                verdict = 'equivalent?'
            elif args.matrix:
                killers = failing_tests(suites)
                verdict = 'killed' if killers else 'SURVIVED'
                matrix.append(dict(mutant=describe(m), killers=killers))
            else:
                verdict = 'SURVIVED'
                for seconds, cmd in suites:
                    if run(cmd, timeout=max(10.0, 10 * seconds), quiet=True)[0] != 0:
                        verdict = 'killed'
                        break
        finally:
            # File times come from a coarse clock: a touch within the tick of the mutant's object
            # would look up to date to ninja. Touching makes the next build compile it back.
            mask = signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGINT, signal.SIGTERM})
            time.sleep(0.02)
            path.write_bytes(original)
            os.utime(path)
            signal.pthread_sigmask(signal.SIG_SETMASK, mask)
        results.append((verdict, m))
        say(f'[{k}/{len(sample)}] {verdict} {describe(m)}')

    elapsed = time.monotonic() - t1
    if args.matrix:
        Path(args.matrix).write_text(json.dumps(matrix, indent=1) + '\n')
        say(*only_killers(matrix))
    counts = {v: sum(1 for r, _ in results if r == v)
              for v in ('killed', 'SURVIVED', 'unbuildable', 'equivalent?')}
    say('\nsurvivors:')
    say(*[describe(m) for verdict, m in results if verdict == 'SURVIVED'])
    say(*[f'equivalent? {describe(m)}' for verdict, m in results if verdict == 'equivalent?'],
        *[f'gone {describe(m)}' for m in gone])
    say(f"unbuildable: {counts['unbuildable']}, equivalent?: {counts['equivalent?']}, gone: {len(gone)}")
    say(f'time: {elapsed:.0f}s for {len(results)} mutants, {elapsed / max(1, len(results)):.1f}s each')
    say(f"score: {counts['killed']}/{counts['killed'] + counts['SURVIVED']}")
    return 0


if __name__ == '__main__':
    try:
        sys.exit(main())
    except KeyboardInterrupt:
        sys.exit('interrupted; the copy is restored')
