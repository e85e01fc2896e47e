"""Writes the tables that the board's forecast readers carry, from the agency's own tables.

Usage: python3 scripts/forecast-tables.py [DATA [OUT]]   (DATA: ../shared/data by default)

Writes board/arduino/Parcelo/src/ParceloTables.cpp (in flash, PROGMEM on AVR) and
board/micropython/parcelo_tables.py, or both into the folder OUT. Run it again when the agency
changes its stations or weekly areas, and commit both files; the board's check fails while they
differ from what this script makes.

For each primary subdivision (class10), one record:
    "<class10>|<station>:<name>,<station>:<name>...|<weekly area>=<station>:<name>,..."
- its temperature stations, in forecast_area.json's order (the agency's page shows the first);
- its weekly areas, in week_area05.json's order, each with the station that week_area.json gives
  for the class10's office and that weekly area.
A station's name is amedastable.json's; for a station that table no longer has (renumbered
since), the name the agency's forecasts gave it. The name finds the station again after the
agency renumbers it: the forecast then lists a station that no record names, with that name.
"""
import glob
import json
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "..", "shared", "data")
SOURCES = ("forecast_area.json (2022-11), week_area05.json and week_area.json (2022-11), "
           "amedastable.json (2026-04), weather-codes.json (2021-07), area.json (2024)")
CREDIT = "出典：気象庁ホームページ (Japan Meteorological Agency)"


def read(name):
    with open(os.path.join(DATA, name), encoding="utf-8") as file:
        return json.load(file)


def station_names(amedas, forecast_area):
    """Each station's name: amedastable.json's; else the name a forecast gives the code; else,
    for a code the forecasts no longer list, the name of the one station that no record names
    in its office's forecasts (the same station, renumbered)."""
    names = {code: station["kjName"] for code, station in amedas.items()}
    listed = {code for entries in forecast_area.values() for e in entries for code in e["amedas"]}
    unlisted = {}  # office -> the stations its forecasts list that no record names
    for path in sorted(glob.glob(os.path.join(DATA, "forecast", "*.json"))):
        office = os.path.basename(path)[:6]
        with open(path, encoding="utf-8") as file:
            document = json.load(file)
        for part in document:
            for series in part["timeSeries"]:
                for area in series["areas"]:
                    code, name = area["area"]["code"], area["area"]["name"]
                    if len(code) != 5:
                        continue
                    names.setdefault(code, name)
                    if code not in listed:
                        unlisted.setdefault(office, {})[code] = name
    for office, entries in forecast_area.items():
        for code in (code for e in entries for code in e["amedas"] if code not in names):
            successors = list(unlisted.get(office, {}).values())
            if len(successors) == 1:
                names[code] = successors[0]
    return names


def records():
    area = read("area.json")
    forecast_area, week_areas, week_area = read("forecast_area.json"), read("week_area05.json"), \
        read("week_area.json")
    names = station_names(read("amedastable.json"), forecast_area)
    rows = []
    for entries in forecast_area.values():
        for entry in entries:
            class10 = entry["class10"]
            office = area["class10s"][class10]["parent"]
            stations = ",".join(f"{code}:{names.get(code, '')}" for code in entry["amedas"])
            weekly = []
            for week in week_areas.get(class10, []):
                found = [e["amedas"] for e in week_area.get(office, []) if e["week"] == week]
                code = found[0] if found else ""
                weekly.append(f"{week}={code}:{names.get(code, '')}")
            rows.append(f"{class10}|{stations}|{','.join(weekly)}")
    return sorted(rows)


def weather_codes():
    codes = read("weather-codes.json")
    return [f"{code}|{day}|{night}|{ja}|{en}"
            for code, (day, night, _, ja, en) in sorted(codes.items(), key=lambda c: int(c[0]))]


def c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_arduino(areas, codes, path):
    # Generated files start with "clang-format off", so that `make format` leaves them as written.
    lines = ["// clang-format off",
             "// Made by scripts/forecast-tables.py from the agency's " + SOURCES + ".",
             "// " + CREDIT + ". Do not edit: run the script again.",
             '#include "ParceloTables.h"', "", "namespace parcelo {", "namespace tables {", ""]
    for name, rows in (("Area", areas), ("Code", codes)):
        for i, row in enumerate(rows):
            lines.append(f"const char k{name}{i}[] PROGMEM = {c_string(row)};")
        items = ", ".join(f"k{name}{i}" for i in range(len(rows)))
        lines.append(f"const char* const k{name}s[] PROGMEM = {{{items}}};")
        lines.append(f"const uint8_t k{name}Count = {len(rows)};")
        lines.append("")
    lines += ["}  // namespace tables", "}  // namespace parcelo", ""]
    with open(path, "w", encoding="utf-8") as file:
        file.write("\n".join(lines))


def write_micropython(areas, codes, path):
    lines = ["# Made by scripts/forecast-tables.py from the agency's " + SOURCES + ".",
             "# " + CREDIT + ". Do not edit: run the script again.", "AREAS = ("]
    lines += [f"    {json.dumps(row, ensure_ascii=False)}," for row in areas]
    lines += [")", "CODES = ("]
    lines += [f"    {json.dumps(row, ensure_ascii=False)}," for row in codes]
    lines += [")", ""]
    with open(path, "w", encoding="utf-8") as file:
        file.write("\n".join(lines))


if __name__ == "__main__":
    areas, codes = records(), weather_codes()
    # The readers copy one record at a time into a buffer of this size (ParceloTables.h).
    assert max(len(row.encode()) for row in areas + codes) < 160
    out = sys.argv[2] if len(sys.argv) > 2 else None
    write_arduino(areas, codes, os.path.join(out or ROOT + "/board/arduino/Parcelo/src",
                                             "ParceloTables.cpp"))
    write_micropython(areas, codes, os.path.join(out or ROOT + "/board/micropython",
                                                 "parcelo_tables.py"))
    print(f"{len(areas)} primary subdivisions, {len(codes)} weather codes")
