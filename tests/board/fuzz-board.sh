#!/bin/sh
# Fuzzes the board's readers (fuzz/board_readers.cc) with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, built on this machine against the real Print and Stream of Debian's
# Arduino AVR core, as check-arduino.sh builds them; seeded with the tool's files from the
# agency's list, the town file and the agency's forecast and warning documents.
# Usage: fuzz-board.sh TOOL WORK SECONDS. Exits 77 (skipped) where ../shared is absent.
set -eu
tool=$1 work=$2 seconds=$3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host-build.sh"
need_shared "the board's fuzzing, for its seeds,"
rm -rf "$work" && mkdir -p "$work/seeds" "$work/corpus" "$work/objects"
copy_core "$work"
"$tool" "$shared/area.json" "$work/seeds" >/dev/null
cp "$here/town.json" "$shared"/forecast/*.json "$work/seeds/"
find "$shared/warning" -name '*.json' -exec cp {} "$work/seeds/" \;

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all"
compile() {
  clang++ -std=gnu++11 -g -O1 $sanitizers -fsanitize=fuzzer-no-link -DARDUINO=10819 \
    -I "$work/core" -I "$library/src" "$@"
}
for file in "$work"/core/Print.cpp "$work"/core/Stream.cpp "$work"/core/WString.cpp \
  "$work"/core/IPAddress.cpp "$library"/src/*.cpp; do
  name=${file##*/}
  compile -w -c "$file" -o "$work/objects/${name%.cpp}.o"
done
compile -w -c "$here/arduino/stand_ins.cc" -o "$work/objects/stand_ins.o"
compile -fsanitize=fuzzer -Wall -Wextra -Werror "$here/../../fuzz/board_readers.cc" \
  "$work"/objects/*.o -o "$work/fuzz_board"
"$work/fuzz_board" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$work/corpus" "$work/seeds"
