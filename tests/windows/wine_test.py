#!/usr/bin/env python3
"""Runs the Windows build under Wine and checks it against the Linux build, case by case.

Usage: wine_test.py LINUX_BINARY WINDOWS_EXE PROJECT_DIR

Both builds run on the same input in folders of their own. The Windows build must exit with the
same status, print the same console text encoded as code page 932 with CR LF line ends (its
program path aside), and write the same files with every LF turned into CR LF. Where Windows
must differ (device names), the case says what it expects. A redirected stream gets code page
932 bytes, with "?" for a character the code page lacks; a console, in a pseudo-terminal, must
read as UTF-8 whatever its code page.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

import time

WINE = shutil.which("wine64") or "/usr/lib/wine/wine64"
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver"
USAGE_TAIL = " 気象庁エリアコード一覧JSONファイル名 出力先フォルダ名"

def devices(*codes):
    return '{"centers": {}, "offices": {%s}}' % ", ".join('"%s": {}' % c for c in codes)


def run(command, cwd, env=None):
    result = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            env=env, timeout=120)
    return result.returncode, result.stdout, result.stderr


def folder_files(folder):
    if not os.path.isdir(folder):
        return None
    files = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        files[name] = open(path, "rb").read() if os.path.isfile(path) else "<folder>"
    return files


def as_windows_console(text, program):
    """The Linux build's console text as the Windows build must print it."""
    text = text.decode("utf-8").replace("> " + program + " ", "> <program> ", 1)
    return text.replace("\n", "\r\n").encode("cp932", errors="replace")


def program_of(stdout):
    """Replaces the program path in the Windows build's usage line; returns the text and path."""
    marker = "> ".encode("cp932")
    start = stdout.find(marker)
    end = stdout.find(USAGE_TAIL.encode("cp932"), start)
    if start < 0 or end < 0:
        return stdout, None
    program = stdout[start + 2:end].decode("cp932", errors="replace")
    return stdout[:start + 2] + b"<program>" + stdout[end:], program


class Case:
    def __init__(self, name, list_text=None, list_path=None, args=("in.json", "out"),
                 prepare=None, out_folder="out", windows=None, list_bytes=None):
        self.name, self.list_text, self.list_path, self.args = name, list_text, list_path, args
        self.prepare, self.out_folder, self.windows = prepare, out_folder, windows
        self.list_bytes = list_bytes


def setup(folder, case):
    os.makedirs(os.path.join(folder, "out"))
    if case.list_text is not None:
        with open(os.path.join(folder, "in.json"), "w", encoding="utf-8") as f:
            f.write(case.list_text)
    if case.list_path is not None:
        shutil.copy(case.list_path, os.path.join(folder, "in.json"))
    if case.list_bytes is not None:
        with open(os.path.join(folder, "in.json"), "wb") as f:
            f.write(case.list_bytes)
    if case.prepare:
        case.prepare(folder)


def check(case, linux_binary, exe, wine_env):
    problems = []
    with tempfile.TemporaryDirectory() as linux_dir, tempfile.TemporaryDirectory() as wine_dir:
        setup(linux_dir, case)
        setup(wine_dir, case)
        l_status, l_out, l_err = run([linux_binary] + list(case.args), linux_dir)
        w_status, w_out, w_err = run([WINE, exe] + list(case.args), wine_dir, wine_env)
        w_out, program = program_of(w_out)
        if b"> " in l_out and (program is None or not program.lower().endswith("parcelo.exe")):
            problems.append(f"no usage line naming parcelo.exe: {w_out!r}")
        l_files = folder_files(os.path.join(linux_dir, case.out_folder))
        w_files = folder_files(os.path.join(wine_dir, case.out_folder))
        if case.windows:  # what Windows must do instead of what Linux does
            problems += case.windows(w_status, w_out, w_err, w_files)
            return problems
        if w_status != l_status:
            problems.append(f"exit status {w_status}, Linux {l_status}")
        for stream, linux, windows in (("stdout", l_out, w_out), ("stderr", l_err, w_err)):
            want = as_windows_console(linux, linux_binary)
            if windows != want:
                problems.append(f"{stream}: {windows!r}\n    want {want!r}")
        want_files = None if l_files is None else {
            n: (b if isinstance(b, str) else b.replace(b"\n", b"\r\n")) for n, b in l_files.items()}
        if w_files != want_files:
            names = sorted(set(w_files or {}) | set(want_files or {}))
            bad = [n for n in names if (w_files or {}).get(n) != (want_files or {}).get(n)]
            problems.append(f"files differ: {bad[:5]}")
    return problems


def refused(code, written=()):
    def expect(status, out, err, files):
        want = ("ファイル名に使えない府県予報区コードです: \"%s\"\r\n" % code).encode("cp932",
                                                                         errors="replace")
        problems = []
        if status != 1:
            problems.append(f"exit status {status}, want 1")
        if err != want:
            problems.append(f"stderr {err!r}, want {want!r}")
        if sorted(files) != sorted(["centers.json", *written]):
            problems.append(f"files {sorted(files)}, want centers.json and {list(written)}")
        return problems
    return expect


def named_paths(text):
    """An input and an output folder whose names hold `text`."""
    list_name, folder = f"in_{text}.json", f"out_{text}"
    def prepare(d):
        os.mkdir(os.path.join(d, folder))
        shutil.copy(os.path.join(d, "in.json"), os.path.join(d, list_name))
    return dict(args=(list_name, folder), prepare=prepare, out_folder=folder)


def shared_cases(project):
    """The cases every comparison of two builds runs, from tests/data/comparison-cases.tsv."""
    found = []
    with open(os.path.join(project, "tests", "data", "comparison-cases.tsv"), encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f if line.strip() and not line.startswith("#")]
    for name, kind, value in (line.split("\t") for line in lines):
        if kind == "args":
            found.append(Case(name, args=tuple(value.split(" "))))
        elif kind == "text":
            found.append(Case(name, value))
        else:
            path, _, size = value.partition(" ")
            path = os.path.join(project, path)
            if not os.path.exists(path):
                print(f"skip - {name}: {value} is absent")
                continue
            data = open(path, "rb").read()
            found.append(Case(name, list_bytes=data[:int(size)] if size else data))
    return found


def cases(project):
    examples = os.path.join(project, "tests", "data")
    centre_example = open(os.path.join(examples, "centre-example.json"), encoding="utf-8").read()
    office_example = open(os.path.join(examples, "office-example.json"), encoding="utf-8").read()
    found = shared_cases(project) + [
        Case("a byte-order mark and trailing text",
             '\ufeff{"centers": {"1": {"name": "a/b", "children": ["x"]}}, "offices": null} !'),
        Case("an input that is a folder", args=("out", "out")),
        Case("a parse error", '{"centers": {"1": {"name": "abc'),
        Case("an empty input", ""),
        Case("a number too large", '{"centers": {}, "offices": {}, "x": 1e999}'),
        Case("no offices table", '{"centers": {}}'),
        Case("a malformed list", '{"centers": {"1": {"name": 5}}, "offices": {}}'),
        Case("an output folder that is missing", office_example, args=("in.json", "nowhere")),
        Case("a folder where an office file goes", office_example,
             prepare=lambda d: os.mkdir(os.path.join(d, "out", "120000.json"))),
        Case("a trailing separator on the folder", centre_example, args=("in.json", "out/")),
        Case("too few arguments", office_example, args=("in.json",)),
        Case("a folder with a Japanese name", centre_example, args=("in.json", "出力"),
             prepare=lambda d: os.mkdir(os.path.join(d, "出力")), out_folder="出力"),
    ]
    for text in ("é", "𠮷", "😀", "東京"):
        found.append(Case(f"an input and an output folder named with {text}", office_example,
                          **named_paths(text)))
    found.append(Case("an office code in Japanese", devices("0", "東京")))
    deep = "/".join(["out"] + [c * 74 for c in "abcd"])  # 300 characters
    found.append(Case("an output folder path of 300 characters", centre_example,
                      args=("in.json", deep), out_folder=deep,
                      prepare=lambda d: os.makedirs(os.path.join(d, deep))))
    for code in ("CON", "nul", "Aux.x", "COM1", "lpt9", "CON.tar.gz", "nul.a.b", "COM¹", "a?"):
        found.append(Case(f"the office code {code}, refused on every host", devices(code)))
    # Windows folds É and é to one name, which Linux keeps apart: the second is refused there.
    found.append(Case("offices É and é", devices("É", "é"), windows=refused("é", ["É.json"])))
    return found


def version_resource(exe):
    """Reads the VS_VERSIONINFO resource of `exe` back: the fixed file version and the strings
    of its StringFileInfo block."""
    data = open(exe, "rb").read()
    start = data.find("VS_VERSION_INFO".encode("utf-16-le")) - 6
    if start < 0:
        return None, {}
    align = lambda offset: (offset + 3) & ~3

    def node(offset):  # a block: length, value length, type, key, value, children
        length, value_length, is_text = struct.unpack_from("<HHH", data, offset)
        end = offset + 6
        while data[end:end + 2] != b"\0\0":
            end += 2
        key = data[offset + 6:end].decode("utf-16-le")
        value_start = align(end + 2)
        value = data[value_start:value_start + value_length * (2 if is_text else 1)]
        children, child = [], align(value_start + len(value))
        while child < offset + length:
            children.append(node(child))
            child = align(child + struct.unpack_from("<H", data, child)[0])
        return key, value, children

    _, fixed, children = node(start)
    most, least = struct.unpack_from("<II", fixed, 8)
    strings = {key: value.decode("utf-16-le").rstrip("\0")
               for name, _, tables in children if name == "StringFileInfo"
               for _, _, entries in tables for key, value, _ in entries}
    return (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF), strings


def project_version(project):
    """The one version number, as CMakeLists.txt gives it to everything."""
    with open(os.path.join(project, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(parcelo VERSION ([0-9.]+)", f.read()).group(1)


def check_version(exe, project):
    number = project_version(project)
    version, strings = version_resource(exe)
    want = {"ProductName": "Parcelo", "FileVersion": number, "ProductVersion": number}
    problems = [f"{key} is {strings.get(key)!r}, want {value!r}"
                for key, value in want.items() if strings.get(key) != value]
    if version != tuple(int(part) for part in (number + ".0").split(".")[:4]):
        problems.append(f"the fixed file version is {version}")
    if not strings.get("FileDescription"):
        problems.append("no FileDescription")
    if "Parcelo developers" not in strings.get("LegalCopyright", ""):
        problems.append(f"LegalCopyright is {strings.get('LegalCopyright')!r}")
    return problems


ESCAPES = re.compile(r"\x1b\[[?0-9;]*[A-Za-z]")


def check_console(code_page, project, exe, wine_env):
    """Runs the tool in a pseudo-terminal through cmd after `chcp code_page`: once on the sample
    and once on a missing input. Every line must read as UTF-8 on the terminal."""
    with tempfile.TemporaryDirectory() as folder:
        shutil.copy(exe, folder)
        shutil.copy(os.path.join(project, "data", "sample-area.json"), folder)
        os.mkdir(os.path.join(folder, "出力"))
        line = (f"{WINE} cmd /c 'chcp {code_page} & parcelo.exe sample-area.json 出力"
                " & parcelo.exe missing.json 出力'")
        _, out, _ = run(["script", "-qc", line, "/dev/null"], folder, wine_env)
    lines = ESCAPES.sub("", out.decode("utf-8", errors="replace")).replace("\r", "").split("\n")
    want = ["気象庁のエリアコードJSONをM5Stackで扱えるサイズに分割する",
            "> parcelo.exe 気象庁エリアコード一覧JSONファイル名 出力先フォルダ名",
            "出力/centers.json を生成しました。",
            "ファイルを開けませんでした。"]
    return [f"no line {w!r} in {lines!r}" for w in want if w not in lines]


def japanese_locale(folder):
    """A Japanese locale gives Wine code page 932 for paths and arguments. It is compiled into a
    folder of the build, so that neither root nor the system's locale list is needed."""
    if not os.path.isdir(os.path.join(folder, "ja_JP.UTF-8")):
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["localedef", "-i", "ja_JP", "-f", "UTF-8",
                        os.path.join(folder, "ja_JP.UTF-8")], check=True)
    return dict(LOCPATH=folder, LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")


def start_wine(exe, env):
    """Starts one wineserver for all cases; the first start creates Wine's configuration. The
    server must not hold the pipes of a case open, or that case waits for it to exit."""
    start = time.monotonic()
    os.makedirs(env["WINEPREFIX"], exist_ok=True)
    subprocess.run([WINESERVER, "-p"], env=env, check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([WINE, exe], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    print(f"# Wine started in {time.monotonic() - start:.1f} s")


def main():
    linux_binary, exe, project = (os.path.abspath(a) for a in sys.argv[1:4])
    build = os.path.dirname(exe)
    wine_env = dict(os.environ, WINEPREFIX=os.path.join(build, "wine-prefix"), WINEDEBUG="-all",
                    **japanese_locale(os.path.join(build, "locale")))
    start_wine(exe, wine_env)
    checks = [(case.name, lambda case=case: check(case, linux_binary, exe, wine_env))
              for case in cases(project)]
    checks += [(f"the console with code page {code_page}",
                lambda c=code_page: check_console(c, project, exe, wine_env))
               for code_page in (65001, 932, 437)]
    checks.append(("the version resource", lambda: check_version(exe, project)))
    passed = failed = 0
    for name, check_one in checks:
        problems = check_one()
        print(("FAIL - " if problems else "ok - ") + name)
        for problem in problems:
            print("    " + problem)
        passed, failed = passed + (not problems), failed + bool(problems)
    subprocess.run([WINESERVER, "-k"], env=wine_env)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
