"""The Mega's card in flash, for the simulator.

flash_card.py header FOLDER HEADER: writes HEADER (card.h for FlashCard.ino) with every file of
FOLDER, the files the tool wrote, as bytes in flash, and cardFile(name, address, size).
flash_card.py check FOLDER OUTPUT: compares what FlashCard printed under simavr (OUTPUT) with
the files, read here with Python's json, and prints the firmware's figures.
flash_card.py forecasts ANSWERS DATA SKETCH FILE...: writes SKETCH/card.h with the agency's
forecast documents FILE... of DATA/forecast, and SKETCH/forecasts.h with every primary
subdivision that ANSWERS (from forecast_answers.mjs) gives for them, for ForecastCard.ino.
flash_card.py check-forecasts ANSWERS OUTPUT: compares what ForecastCard printed with ANSWERS.
"""
import json
import os
import re
import sys


def header(folder, path, names=None):
    names = names or sorted(os.listdir(folder), key=lambda name: (name != "centers.json", name))
    lines = ["// Made by flash_card.py from the tool's files; not edited by hand.",
             "#pragma once", "#include <avr/pgmspace.h>", "#include <string.h>", ""]
    # The program's own constants must stay in the first 64 KB of flash, where pgm_read_byte
    # reaches: the files go after all the code, in .fini7, which only exit() would run, and the
    # firmware never exits.
    for i, name in enumerate(names):
        data = open(os.path.join(folder, name), "rb").read()
        body = ",".join(str(b) for b in data)
        lines.append(f"const uint8_t file{i}[] __attribute__((used, section(\".fini7\"))) = {{{body}}};")
    lines.append("bool cardFile(const char* name, uint32_t& address, uint16_t& size) {")
    for i, name in enumerate(names):
        lines.append(f"  if (strcmp(name, \"{name}\") == 0) {{")
        lines.append(f"    address = pgm_get_far_address(file{i});")
        lines.append(f"    size = sizeof file{i};")
        lines.append("    return true;")
        lines.append("  }")
    lines.append("  return false;")
    lines.append("}")
    open(path, "w").write("\n".join(lines) + "\n")


def printed(path):
    # simavr prints each line the firmware sends in colour, with its line end shown as a dot, and
    # a long line in pieces, cut between any two bytes.
    data = re.sub(rb"\x1b\[[0-9;]*m", b"", open(path, "rb").read())
    lines, piece = [], b""
    for line in data.split(b"\n"):
        if line.startswith(b"Loaded "):
            continue
        piece += line
        if piece.endswith(b"."):
            lines.append(piece[:-1].decode())
            piece = b""
    return lines


def expected(folder):
    read = lambda name: json.load(open(os.path.join(folder, name), encoding="utf-8"))
    lines = []
    centres = read("centers.json") or {}
    lines += [f"C|{code}|{centre['name']}" for code, centre in centres.items()]
    for code, centre in centres.items():
        for office in centre["children"]:
            lines.append(f"O|{code}|{office['code']}|{office['name']}")
            towns = read(office["code"] + ".json")
            lines += [f"M|{office['code']}|{t['cityname']}|{t['areaname']}|{t['code']}" for t in towns]
            last = towns[-1]["cityname"]
            first = next(t["code"] for t in towns if t["cityname"] == last)
            lines.append(f"A|{office['code']}|{last}|{first}")
    return lines


def check(folder, output):
    lines = printed(output)
    answers = [line for line in lines if line[0] in "COMAE"]
    want = expected(folder)
    for number, (got, wanted) in enumerate(zip(answers, want)):
        if got != wanted:
            print(f"FAILED: line {number + 1} of the Mega's answers is {got!r}, not {wanted!r}")
            return 1
    if len(answers) != len(want) or "D" not in lines:
        print(f"FAILED: the Mega gave {len(answers)} answers, not {len(want)}, or did not finish")
        return 1
    print(f"the simulated Mega answered all {len(want)} lines; the most one call took:")
    for line in lines:
        if line.startswith("S|"):
            _, call, stack, micros = line.split("|")
            print(f"  {call:15} {int(stack):5} bytes of stack  {int(micros) / 1000:8.1f} ms")
    return 0


def forecasts(answers, data, sketch, files):
    answers = json.load(open(answers, encoding="utf-8"))
    header(os.path.join(data, "forecast"), os.path.join(sketch, "card.h"), files)
    lines = ["// Made by flash_card.py: the documents and areas the firmware reads.",
             "#pragma once", "struct Question {", "  const char* file;", "  const char* area;",
             "};", "const Question kQuestions[] = {"]
    lines += [f'    {{"/{file}", "{area}"}},' for file in files for area in answers[file]]
    lines.append("};")
    open(os.path.join(sketch, "forecasts.h"), "w").write("\n".join(lines) + "\n")


def check_forecasts(answers, output):
    answers = json.load(open(answers, encoding="utf-8"))
    lines = printed(output)
    read = [line.split("|", 4) for line in lines if line.startswith("F|")]
    want = sum(len(answers[file]) for file in {line[1] for line in read})
    for _, file, area, micros, answer in read:
        expected = answers[file][area]
        got = json.loads(answer) if answer.startswith("{") else answer
        if got != (expected if expected is not None else "no such area in the forecast"):
            print(f"FAILED: the Mega reads {file} {area} as {answer[:300]}")
            return 1
    if len(read) == 0 or len(read) != want or "D" not in lines:
        print(f"FAILED: the Mega read {len(read)} areas, not {want}, or did not finish")
        return 1
    print(f"the simulated Mega read {len(read)} areas of {len({r[1] for r in read})} documents:")
    for _, file, area, micros, _ in read:
        print(f"  {file} {area}: {int(micros) / 1000:.1f} ms, {int(micros) * 16:,} cycles")
    for line in lines:
        if line.startswith("S|"):
            print(f"  the most stack readForecast needed: {line.split('|')[2]} bytes")
    return 0


if __name__ == "__main__":
    command, arguments = sys.argv[1], sys.argv[2:]
    if command == "header":
        header(*arguments)
    elif command == "check":
        sys.exit(check(*arguments))
    elif command == "forecasts":
        forecasts(arguments[0], arguments[1], arguments[2], arguments[3:])
    else:
        sys.exit(check_forecasts(*arguments))
