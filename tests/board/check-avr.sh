#!/bin/sh
# Builds the board's Arduino library as the Arduino IDE does, with arduino-builder and Debian's
# Arduino AVR core, finding it through its library.properties: the Serial-only example for the Uno
# and the Mega, every warning on and none from the library, whose objects call neither malloc nor
# new. Then a Mega that holds the tool's files in flash runs under simavr, and its answers are
# compared with the files; and one that holds the agency's largest forecast documents, with the
# answers of forecast_rules.mjs for every primary subdivision they cover.
# Usage: check-avr.sh TOOL WORK. Exits 77 (skipped) where ../shared is absent.
set -eu
tool=$1 work=$2
here=$(cd "$(dirname "$0")" && pwd)
library=$here/../../board/arduino/Parcelo
data=$here/../../../shared/data
list=$data/area.json
if [ ! -f "$list" ]; then
  echo "skipped: the board's check needs ../shared/data/area.json"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work/libraries" "$work/parcelo" "$work/FlashCard" "$work/ForecastCard"
ln -s "$library" "$work/libraries/Parcelo"
"$tool" "$list" "$work/parcelo" >/dev/null

# arduino_build FQBN SKETCH BUILD: Debian's avr-gcc 5.4 needs DECIMAL_DIG for the core's WString.
arduino_build() {
  mkdir -p "$3"
  if ! arduino-builder -hardware /usr/share/arduino/hardware -hardware /usr/share/arduino-builder \
    -tools /usr/bin -tools /usr/share/arduino-builder -libraries "$work/libraries" -fqbn "$1" \
    -build-path "$3" -warnings all -prefs=compiler.cpp.extra_flags=-DDECIMAL_DIG=17 \
    "$2" >"$3.log" 2>&1; then
    cat "$3.log"
    exit 1
  fi
  if grep -A3 "libraries/Parcelo/.*warning" "$3.log"; then
    echo "FAILED: the library warns on $1"
    exit 1
  fi
  echo "$1, ${2##*/}:"
  grep -E "^(Sketch uses|Global variables)" "$3.log"
  # The library's objects (LTO objects, which avr-gcc-nm reads) call neither malloc nor new.
  if avr-gcc-nm -u "$3"/libraries/Parcelo/*.o | grep -E " (malloc|calloc|realloc|_Znwj|_Znaj)$"; then
    echo "FAILED: the library allocates on $1"
    exit 1
  fi
}

for board in arduino:avr:uno arduino:avr:mega:cpu=atmega2560; do
  arduino_build "$board" "$library/examples/SerialAreaCode/SerialAreaCode.ino" "$work/${board##*:}"
done

cp "$here"/avr/FlashCard/* "$work/FlashCard/"
python3 "$here/avr/flash_card.py" header "$work/parcelo" "$work/FlashCard/card.h"
arduino_build arduino:avr:mega:cpu=atmega2560 "$work/FlashCard/FlashCard.ino" "$work/flash-card"
# The firmware stops the simulation itself once it has answered; the timeout is for a firmware
# that does not.
timeout 600 simavr -m atmega2560 -f 16000000 "$work/flash-card/FlashCard.ino.elf" \
  >"$work/simavr.txt" 2>&1
python3 "$here/avr/flash_card.py" check "$work/parcelo" "$work/simavr.txt"

node "$here/forecast_answers.mjs" "$data" "$work/answers.json"
cp "$here"/avr/ForecastCard/* "$here/avr/FlashCard/flash.h" "$here/forecast_json.h" \
  "$work/ForecastCard/"
python3 "$here/avr/flash_card.py" forecasts "$work/answers.json" "$data" "$work/ForecastCard" \
  130000-2026031205.json 460100-2024011111.json 014100-2024011111.json 380000-2024011111.json
arduino_build arduino:avr:mega:cpu=atmega2560 "$work/ForecastCard/ForecastCard.ino" \
  "$work/forecast-card"
timeout 600 simavr -m atmega2560 -f 16000000 "$work/forecast-card/ForecastCard.ino.elf" \
  >"$work/simavr-forecast.txt" 2>&1
python3 "$here/avr/flash_card.py" check-forecasts "$work/answers.json" "$work/simavr-forecast.txt"
