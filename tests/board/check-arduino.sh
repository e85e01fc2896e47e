#!/bin/sh
# Builds the board's Arduino library, its example sketch and arduino_check.cc unchanged against
# ArduinoJson 7.2.0 and the Arduino stand-ins, 64-bit with the given compiler and 32-bit as on
# the ESP32, warning-clean, and runs both on the files the tool writes from the agency's list.
# Usage: check-arduino.sh TOOL WORK CXX [FLAG...]. Exits 77 (skipped) where ../shared is absent.
set -eu
tool=$1 work=$2 cxx=$3
shift 3
here=$(cd "$(dirname "$0")" && pwd)
library=$here/../../board/arduino/Parcelo
arduinojson=$here/../../../shared/third_party/ArduinoJson-7.2.0/src
list=$here/../../../shared/data/area.json
if [ ! -f "$arduinojson/ArduinoJson.h" ] || [ ! -f "$list" ]; then
  echo "skipped: the board's check needs ../shared/third_party/ArduinoJson-7.2.0 and ../shared/data/area.json"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work/real/parcelo"
"$tool" "$list" "$work/real/parcelo" >/dev/null

# build PROGRAM COMPILER FLAG... SOURCE...: the library and the stand-ins with the sources.
build() {
  program=$1 compiler=$2
  shift 2
  "$compiler" -std=gnu++11 -DARDUINO=10819 -Wall -Wextra -Werror \
    -I "$here/arduino" -I "$library/src" -I "$arduinojson" \
    "$library/src/Parcelo.cpp" "$here/arduino/stand_ins.cc" "$@" -o "$work/$program"
}

check() {
  bits=$1 compiler=$2
  shift 2
  build "check-$bits" "$compiler" "$@" "$here/arduino_check.cc" \
    -x c++ "$library/examples/ChooseYourTown/ChooseYourTown.ino"
  mkdir -p "$work/scratch-$bits"
  "$work/check-$bits" "$work/real" "$work/scratch-$bits" "$here/bad_cards.json"
  build "area-code-$bits" "$compiler" "$@" "$here/run_sketch.cc" \
    -x c++ "$library/examples/AreaCode/AreaCode.ino"
  screen=$("$work/area-code-$bits" "$work/real")
  [ "$screen" = "新宿区: 130010" ] || { echo "FAILED: AreaCode shows: $screen"; exit 1; }
}
check 64 "$cxx" "$@"
check 32 i686-linux-gnu-g++ -static
