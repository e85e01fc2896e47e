#!/usr/bin/env python3
"""The peer: the same split written the way a user would, with Python's json module.

Usage: peer.py LIST FOLDER. Writes the same files as parcelo, for lists of the agency's shape.
"""
import json
import sys

FALLBACK = "不明"


def name(table, code):
    record = table.get(code)
    return record.get("name", FALLBACK) if isinstance(record, dict) else FALLBACK


def write(path, value):
    with open(path, "w", encoding="utf-8") as f:
        f.write(json.dumps(value, ensure_ascii=False, indent=4, sort_keys=True))
    print(path + " を生成しました。", flush=True)


def main():
    source, folder = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8-sig") as f:
        area = json.load(f)
    offices = area["offices"]
    class10s = area.get("class10s", {})
    class15s = area.get("class15s", {})
    class20s = area.get("class20s", {})

    index = {
        code: {
            "children": [{"code": c, "name": name(offices, c)} for c in centre.get("children", [])],
            "name": centre.get("name", FALLBACK),
        }
        for code, centre in area["centers"].items()
    }
    write(folder + "/centers.json", index or None)

    for code in sorted(offices, key=lambda c: c.encode("utf-8")):
        entries = []
        for c10 in offices[code].get("children", []):
            area_name = name(class10s, c10)
            for c15 in class10s.get(c10, {}).get("children", []):
                for c20 in class15s.get(c15, {}).get("children", []):
                    entries.append({"areaname": area_name, "cityname": name(class20s, c20), "code": c10})
        write(folder + "/" + code + ".json", entries)


if __name__ == "__main__":
    main()
