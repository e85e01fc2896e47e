#!/bin/sh
# Builds the board's Arduino library, its examples and the host checks on this machine, against
# the real Print, Stream and WString of Debian's Arduino AVR core: 64-bit with the given compiler
# and 32-bit as on the ESP32, the library warning-clean. Runs them on the files the tool writes
# from the agency's list, with LF and with CR LF.
# Usage: check-arduino.sh TOOL WORK CXX [FLAG...]. Exits 77 (skipped) where ../shared is absent.
set -eu
tool=$1 work=$2 cxx=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
. "$here/host-build.sh"
examples=$library/examples
need_shared "the board's check"
rm -rf "$work" && mkdir -p "$work/real/parcelo" "$work/crlf/parcelo" "$work/include"
"$tool" "$shared/area.json" "$work/real/parcelo" >/dev/null
# The tables in flash are what scripts/forecast-tables.py makes of the agency's tables.
mkdir "$work/tables"
python3 "$here/../../scripts/forecast-tables.py" "$shared" "$work/tables" >/dev/null
python3 "$here/../../scripts/warning-tables.py" "$shared/warning" "$work/tables" >/dev/null
for table in "$library/src/ParceloTables.cpp" "$here/../../board/micropython/parcelo_tables.py" \
  "$library/src/ParceloWarningTables.cpp" "$here/../../board/micropython/parcelo_warning_tables.py"; do
  cmp "$work/tables/${table##*/}" "$table" || { echo "FAILED: run scripts/forecast-tables.py and warning-tables.py"; exit 1; }
done
# The roots the examples trust are Debian's, and none expires within two years.
python3 "$here/../../scripts/board-certificates.py" --check "$work/tables"
for file in "$library/src/ParceloCertificates.h" "$here/../../board/micropython/parcelo_certificates.py"; do
  cmp "$work/tables/${file##*/}" "$file" || { echo "FAILED: run scripts/board-certificates.py"; exit 1; }
done
node "$here/forecast_answers.mjs" "$shared" "$work/answers.json"
node "$here/warning_rules.mjs" "$shared" "$work/warning-answers.json"
for file in "$work"/real/parcelo/*; do
  sed 's/$/\r/' "$file" >"$work/crlf/parcelo/${file##*/}"
done
copy_core "$work"
# nlohmann::json for the 32-bit compiler too, without the rest of this machine's headers.
ln -s /usr/include/nlohmann "$work/include/nlohmann"

# build BITS COMPILER FLAG...: the core, the library (warning-clean) and the stand-ins, then the
# check and one program per example; optimised for size, as the boards' builds are.
build() {
  bits=$1 compiler=$2
  shift 2
  out=$work/$bits
  mkdir -p "$out"
  compile() {
    "$compiler" -std=gnu++11 -Os -DARDUINO=10819 -I "$work/core" -I "$library/src" \
      -I "$work/include" "$@"
  }
  for file in Print Stream WString IPAddress; do
    compile "$@" -w -c "$work/core/$file.cpp" -o "$out/$file.o"
  done
  for file in "$library"/src/*.cpp; do
    name=${file##*/}
    compile "$@" -Wall -Wextra -Werror -c "$file" -o "$out/${name%.cpp}.o"
  done
  compile "$@" -Wall -Wextra -c "$here/arduino/stand_ins.cc" -o "$out/stand_ins.o"
  set -- "$@" "$out"/*.o
  # The checks themselves are C++17; the library and the sketches stay C++11 above and on boards.
  # Symbols are bound at start, so that the first call's stack is not the dynamic linker's.
  compile "$@" -std=gnu++17 -O0 -Wall -Wextra -Werror -Wl,-z,now,--wrap=malloc,--wrap=calloc,--wrap=realloc \
    "$here/arduino_check.cc" "$here/json_check.cc" "$here/forecast_check.cc" "$here/warning_check.cc" \
    -x c++ "$examples/ChooseYourTown/ChooseYourTown.ino" -o "$out/check"
  for sketch in AreaCode SerialAreaCode; do
    compile "$@" -Wall -Wextra -Werror "$here/run_sketch.cc" \
      -x c++ "$examples/$sketch/$sketch.ino" -o "$out/$sketch"
  done
}

# The weather example, its fetch over real TLS (this machine's OpenSSL, 64-bit only) against the
# local HTTPS server, one row of http_rows.json at a time.
checkWeather() {
  out=$work/64
  "$cxx" -std=gnu++11 -Os -DARDUINO=10819 -DPARCELO_HTTPS -I "$work/core" -I "$library/src" \
    -Wall -Wextra -Werror "$@" "$here/run_sketch.cc" "$here/arduino/tls_client.cc" \
    -x c++ "$examples/TownWeather/TownWeather.ino" -x none "$out"/*.o -lssl -lcrypto \
    -o "$out/TownWeather"
  python3 "$here/https_server.py" arduino "$work/https" "$shared/forecast/130000-2024011111.json" \
    "$out/TownWeather" "$work/real" "$here/town_weather.txt"
}

# check BITS: runs the check and the examples, under qemu where this kernel runs no program of
# that kind (some run no 32-bit x86 program).
check() {
  bits=$1
  out=$work/$bits
  run=
  "$out/SerialAreaCode" "$work/real" </dev/null >/dev/null 2>&1 || run=qemu-i386
  rm -rf "$work/scratch" && mkdir "$work/scratch"
  $run "$out/check" "$work/real" "$work/crlf" "$shared" "$work/scratch" "$here" \
    "$work/answers.json" "$work/warning-answers.json"
  screen=$($run "$out/AreaCode" "$work/real")
  [ "$screen" = "新宿区: 130010" ] || { echo "FAILED: AreaCode shows: $screen"; exit 1; }
  serial=$($run "$out/SerialAreaCode" "$work/real" <"$work/crlf/parcelo/130000.json" | tr -d '\r')
  want="Send an office file, such as 130000.json
新宿区: 130010"
  [ "$serial" = "$want" ] || { echo "FAILED: SerialAreaCode prints: $serial"; exit 1; }
}

build 64 "$cxx" "$@"
check 64
checkWeather "$@"
build 32 i686-linux-gnu-g++ -static
check 32
