# What the board's builds on this machine share (check-arduino.sh, fuzz-board.sh), sourced with
# `here` set to tests/board: where the library, the Arduino core and the agency's data are, and
# the core's files beside the check's own Arduino.h.
library=$here/../../board/arduino/Parcelo
core=/usr/share/arduino/hardware/arduino/avr/cores/arduino
shared=$here/../../../shared/data

# Exits 77 (skipped), saying why, where ../shared is absent.
need_shared() {
  if [ ! -f "$shared/area.json" ]; then
    echo "skipped: $1 needs ../shared/data/area.json"
    exit 77
  fi
}

# The core's Print, Stream, WString and Client in WORK/core, beside the check's own Arduino.h,
# which their #include "Arduino.h" finds.
copy_core() {
  mkdir -p "$1/core"
  cp "$core"/Print.* "$core"/Stream.* "$core"/WString.* "$core"/Printable.h "$core"/Client.h \
    "$core"/IPAddress.* "$1/core/"
  cp -R "$here"/arduino/* "$1/core/"
}
