"""Writes the agency's warning codes that the board's warning readers carry.

Usage: python3 scripts/warning-tables.py [WARNING [OUT]]   (WARNING: ../shared/data/warning)

Writes board/arduino/Parcelo/src/ParceloWarningTables.cpp (in flash, PROGMEM on AVR) and
board/micropython/parcelo_warning_tables.py, or both into the folder OUT, from
warning-codes-r8.json (the system in force from 2026-05-29) and warning-codes-legacy.json (the
one before). One record per code: "<code>|<level>|<phenomenon>|<Japanese>|<English>", the level
4 特別警報, 3 危険警報, 2 警報, 1 注意報, 0 解除. The board's check fails while the committed
files differ from what this script makes.
"""
import json
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "..", "shared", "data", "warning")
LEVELS = {"特別警報": 4, "危険警報": 3, "警報": 2, "注意報": 1, "解除": 0}
CREDIT = ("the agency's codes (出典：気象庁ホームページ), as shiromatz's warningCodes.json lists "
          "them (CC BY-SA 4.0)")


def records(name):
    with open(os.path.join(DATA, name), encoding="utf-8") as file:
        table = json.load(file)
    return ["|".join((code, str(LEVELS[row["category"]]), row["phenomenon"], row["nameJa"],
                      row["nameEn"])) for code, row in sorted(table.items())]


def arduino(tables):
    out = ["// clang-format off", "// The agency's warning codes, written by scripts/warning-tables.py",
           "// from " + CREDIT + ".", "// Run the script again, never edit this file.",
           '#include "ParceloTables.h"', "", "namespace parcelo {", "namespace tables {", ""]
    for name, rows in tables:
        for i, row in enumerate(rows):
            out.append('const char k{}{}[] PROGMEM = "{}";'.format(name, i, row))
        out.append("const char* const k{}Codes[] PROGMEM = {{{}}};".format(
            name, ", ".join("k{}{}".format(name, i) for i in range(len(rows)))))
        out.append("const uint8_t k{}CodeCount = {};".format(name, len(rows)))
        out.append("")
    return "\n".join(out + ["}  // namespace tables", "}  // namespace parcelo", ""])


def micropython(tables):
    out = ["# The agency's warning codes, written by scripts/warning-tables.py from " + CREDIT + ".",
           "# Run the script again, never edit this file."]
    for name, rows in tables:
        out.append("{} = (".format(name.upper()))
        out += ['    "{}",'.format(row) for row in rows]
        out.append(")")
    return "\n".join(out + [""])


def main():
    tables = [("R8", records("warning-codes-r8.json")),
              ("Legacy", records("warning-codes-legacy.json"))]
    # The readers copy one record at a time into a buffer of this size (ParceloTables.h).
    assert max(len(row.encode()) for _, rows in tables for row in rows) < 160
    files = {"board/arduino/Parcelo/src/ParceloWarningTables.cpp": arduino(tables),
             "board/micropython/parcelo_warning_tables.py": micropython(tables)}
    for path, text in files.items():
        target = os.path.join(sys.argv[2], os.path.basename(path)) if len(sys.argv) > 2 else \
            os.path.join(ROOT, path)
        with open(target, "w", encoding="utf-8") as file:
            file.write(text)
    print("{} codes of today's system, {} of the one before".format(*(len(t[1]) for t in tables)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
