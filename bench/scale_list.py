#!/usr/bin/env python3
"""Writes an area-code list that holds K copies of a given one.

Every code of copy i (table keys and the codes in "children") gets the prefix of that copy, so
each copy keeps the shape of the original list and yields its own centres and office files.
Usage: scale_list.py LIST K OUTPUT
"""
import json
import sys


def scaled(area, copies):
    width = len(str(copies - 1))
    result = {}
    for table_key, table in area.items():
        if not isinstance(table, dict):
            continue
        scaled_table = result.setdefault(table_key, {})
        for copy in range(copies):
            prefix = str(copy).zfill(width) if copies > 1 else ""
            for code, record in table.items():
                record = dict(record)
                if isinstance(record.get("children"), list):
                    record["children"] = [prefix + child for child in record["children"]]
                scaled_table[prefix + code] = record
    return result


def write_scaled(source, copies, output):
    with open(source, encoding="utf-8-sig") as f:
        area = json.load(f)
    with open(output, "w", encoding="utf-8") as f:
        json.dump(scaled(area, copies), f, ensure_ascii=False, separators=(",", ":"))


def main():
    write_scaled(sys.argv[1], int(sys.argv[2]), sys.argv[3])


if __name__ == "__main__":
    main()
