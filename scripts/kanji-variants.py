"""Writes the old and variant forms of the kanji in the agency's place names, for the page's finder.

Usage: python3 scripts/kanji-variants.py [AREA_JSON [OUT]]
       (AREA_JSON: ../shared/data/area.json; OUT: data/kanji-variants.json)

A person may type 髙知 for 高知, 濱松 for 浜松, 桧原 for 檜原 or 飯館 for 飯舘. For every kanji in
the names of area.json, this takes its variants from two tables Debian carries: Unicode's
Unihan_Variants.txt (package unicode-data) and KAKASI's itaijidict (package kakasi-dic), keeps
those a Japanese keyboard can type (JIS X 0213), and writes one map from each form to the one
the finder folds it to. Where both forms are in the agency's names (島/嶋, 舘/館, 竜/龍), both
fold to one. Unihan also lists as variants some pairs that are different characters in Japanese
names (埼/崎, 筑/築); DIFFERENT keeps those apart. Run with --check to compare with OUT.
"""
import bz2
import json
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
args = [a for a in sys.argv[1:] if a != "--check"]
AREA = args[0] if args else os.path.join(ROOT, "..", "shared", "data", "area.json")
OUT = args[1] if len(args) > 1 else os.path.join(ROOT, "data", "kanji-variants.json")
UNIHAN = "/usr/share/unicode/Unihan_Variants.txt.bz2"
KAKASI = "/usr/share/kakasi/itaijidict"
# Pairs Unihan calls variants that Japanese place names use as different characters.
DIFFERENT = {frozenset(pair) for pair in ("中塚", "六陸", "只子", "埼崎", "椎槌", "筑築", "予余", "九玖")}


def kanji(c):
    return c >= "\u3400" and c not in "々〆ヶ" and not ("\u3040" <= c <= "\u30ff")


def typable(c):
    """On a Japanese keyboard: in JIS X 0213 or in Windows' code page (髙, 﨑)."""
    for code in ("euc_jis_2004", "cp932"):
        try:
            c.encode(code)
            return True
        except UnicodeEncodeError:
            pass
    return False


def variant_pairs():
    with bz2.open(UNIHAN, "rt", encoding="utf-8") as table:
        for line in table:
            if line.startswith("#") or not line.strip():
                continue
            code, _, values = line.rstrip("\n").split("\t")
            for value in values.split():
                yield chr(int(code[2:], 16)), chr(int(value.split("<")[0][2:], 16))
    with open(KAKASI, "rb") as table:
        for line in table:
            pair = line.decode("euc_jp").strip()
            if len(pair) == 2:
                yield pair[0], pair[1]


def main():
    with open(AREA, encoding="utf-8") as file:
        area = json.load(file)
    used = {}  # each kanji of the agency's names -> how many names have it
    for table in area.values():
        for entry in table.values():
            for c in set(entry["name"]):
                if kanji(c):
                    used[c] = used.get(c, 0) + 1
    weight = {}  # (a kanji of the agency's, a form of it) -> how many entries relate the two
    for a, b in variant_pairs():
        if a == b or frozenset((a, b)) in DIFFERENT or not (typable(a) and typable(b)):
            continue
        for c, d in ((a, b), (b, a)):
            if c in used:
                weight[c, d] = weight.get((c, d), 0) + 1
    # Both forms in the agency's names: the one with the smaller code point stands for both.
    fold = {}
    for c, d in sorted(weight):
        if d in used:
            fold[c] = min(fold.get(c, c), d)
    # A form the agency never writes folds to the kanji it is most often related to, and among
    # those to the one in more names (﨑: 崎 of 川崎 and 長崎, not 埼 of 埼玉).
    best = {}
    for (c, d), n in weight.items():
        if d not in used:
            best[d] = max(best.get(d, (0, 0, "")), (n, used[c], fold.get(c, c)))
    table = {c: target for c, target in fold.items() if c != target}
    table.update({d: target for d, (_, _, target) in best.items()})
    text = json.dumps({"source": "Unihan_Variants.txt (Unicode 15.0, Debian unicode-data) and KAKASI's "
                                 "itaijidict (Debian kakasi-dic), for the kanji of area.json (2024); "
                                 "written by scripts/kanji-variants.py",
                       "fold": table}, ensure_ascii=False, separators=(",", ":"), sort_keys=True) + "\n"
    if "--check" in sys.argv:
        with open(OUT, encoding="utf-8") as file:
            if file.read() != text:
                sys.exit(f"{OUT} differs from what scripts/kanji-variants.py writes: run it and commit")
        return
    with open(OUT, "w", encoding="utf-8") as file:
        file.write(text)


main()
