# Reads the agency's forecast for one office (https://www.jma.go.jp/bosai/forecast/data/forecast/
# <office>.json) as it streams, from anything with read(n): a requests response's `raw`, a socket,
# a file. Keeps what the agency's own forecast page shows for one primary subdivision (the code
# parcelo.area_code gives), the same as the Arduino library's readForecast. The document is never
# held whole: the reader keeps one small buffer and the answer. Copy this file, parcelo.py and
# parcelo_tables.py onto the board.
#
# read_forecast(stream, area) returns a dict:
#   "reportDatetime": the short-term forecast's issue time,
#   "days": [{"time", "weatherCode", "weather", "wind", "waves"}] (waves "" where there is no sea),
#   "pops": [{"time", "pop"}] (chance of rain per 6 hours, percent),
#   "temps": {"station", "name", "todayMax", "tomorrowMin", "tomorrowMax"},
#   "week": {"area", "station", "days": [{"date", "weatherCode", "pop", "reliability",
#            "min", "minUpper", "minLower", "max", "maxUpper", "maxLower"}]}.
# Every value is a string, as the agency writes it; "" is "no value", never zero.
import time

import parcelo
import parcelo_tables

NOT_FORECAST = "not the agency's forecast"
NO_AREA = "no such area in the forecast"
TIMED_OUT = "timed out"

# Room for each kind of text, in bytes with the Arduino library's terminating NUL.
TEXT_SIZE = 192
TIME_SIZE = 26
VALUE_SIZE = 8
WEATHER_CODE_SIZE = 4
STATION_NAME_SIZE = 48
KEY_SIZE = 24
MAX_DEPTH = 32

_NONE = 255
_WEEK_KEYS = ("tempsMin", "tempsMinUpper", "tempsMinLower", "tempsMax", "tempsMaxUpper",
              "tempsMaxLower")
_DAY_KEYS = ("min", "minUpper", "minLower", "max", "maxUpper", "maxLower")


class _Malformed(Exception):
    pass


def value_text(text, too_long, size):
    """A value the agency writes as a string (None for any other: not the document), kept
    where it fits `size` bytes with the Arduino library's NUL; TOO_LONG where it does not."""
    if text is None:
        raise _Malformed()
    if too_long or len(text.encode()) >= size:
        raise parcelo.Error(parcelo.TOO_LONG)
    return text


def _ticks():
    # Milliseconds; MicroPython's ticks_ms wraps after days, far beyond one document.
    return time.ticks_ms() if hasattr(time, "ticks_ms") else int(time.time() * 1000)


_NUMBER = b"0123456789+-.eE"
_LITERALS = {0x74: b"true", 0x66: b"false", 0x6E: b"null"}
_ESCAPES = {0x22: 0x22, 0x5C: 0x5C, 0x2F: 0x2F, 0x62: 0x08, 0x66: 0x0C, 0x6E: 0x0A, 0x72: 0x0D,
            0x74: 0x09}
# What the reader expects next.
_VALUE, _FIRST_ITEM, _FIRST_KEY, _KEY, _COLON, _NEXT, _STRING, _ESCAPE, _HEX, _NUMBER_, \
    _LITERAL, _END = range(12)


def _valid_number(text):
    # JSON's grammar: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
    at = 1 if text[:1] == b"-" else 0
    digits = at
    while digits < len(text) and 0x30 <= text[digits] <= 0x39:
        digits += 1
    if digits == at or (text[at] == 0x30 and digits - at > 1):
        return False
    at = digits
    if at < len(text) and text[at] == 0x2E:
        digits = at + 1
        while digits < len(text) and 0x30 <= text[digits] <= 0x39:
            digits += 1
        if digits == at + 1:
            return False
        at = digits
    if at < len(text) and text[at] in b"eE":
        at += 1 + (at + 1 < len(text) and text[at + 1] in b"+-")
        digits = at
        while digits < len(text) and 0x30 <= text[digits] <= 0x39:
            digits += 1
        if digits == at:
            return False
        at = digits
    return at == len(text)


class _Tokens:
    """Takes the document's bytes as they come, feed(chunk) after feed(chunk), and tells the
    handler each value with its path: handler.value(path, text) for a string (None for any other
    value; "" with too_long for a string longer than TEXT_SIZE bytes, which is not kept),
    handler.begin(path, is_object) and handler.end(path) for objects and arrays. `path` holds a
    key or an index per level. Holds one string at most, and the path.

    Why it is pushed where the Arduino reader pulls: that reader asks its Stream for each byte,
    a cheap call in C++. In Python a call per byte is what costs most, while read(256) on a file
    or socket is one call; so read_stream reads chunks, waiting and timing out in one place,
    and this state machine takes each chunk whole, with no call back into the stream."""

    def __init__(self, handler, limit=TEXT_SIZE):
        self.handler = handler
        self.limit = limit
        self.path = []
        self.objects = []
        self.expect = _VALUE
        self.started = False
        self.text = bytearray()
        self.too_long = False
        self.is_key = False
        self.hex = b""
        self.high = 0  # a high surrogate waiting for its low half
        self.after = _VALUE  # what a string, number or literal returns to
        self.literal = b""
        self.done = False

    def feed(self, chunk):
        for c in chunk:
            self._byte(c)

    def finish(self):
        if self.expect == _NUMBER_:
            self._end_number()
        if self.expect != _END:
            raise _Malformed()

    def _put(self, c):
        if len(self.text) < self.limit:
            self.text.append(c)
        else:
            self.too_long = True

    def _byte(self, c):
        expect = self.expect
        if expect == _STRING:
            if self.high and c != 0x5C:
                raise _Malformed()  # a high surrogate without its low half
            if c == 0x22:
                self._end_string()
            elif c == 0x5C:
                self.expect = _ESCAPE
            elif c < 0x20:
                raise _Malformed()
            else:
                self._put(c)
            return
        if expect == _ESCAPE:
            if c == 0x75:
                self.hex, self.expect = b"", _HEX
            elif c in _ESCAPES and not self.high:
                self._put(_ESCAPES[c])
                self.expect = _STRING
            else:
                raise _Malformed()
            return
        if expect == _HEX:
            self.hex += bytes((c,))
            if len(self.hex) == 4:
                self._end_hex()
            return
        if expect == _NUMBER_:
            if c in _NUMBER:
                self._put(c)
                return
            self._end_number()
            expect = self.expect
        if expect == _LITERAL:
            if c != self.literal[0]:
                raise _Malformed()
            self.literal = self.literal[1:]
            if not self.literal:
                self._ended(None)
            return
        if not self.started:
            self.started = True
            if c == 0xEF:  # a byte-order mark, as Windows editors write
                self.literal, self.expect, self.after = b"\xbb\xbf", _LITERAL, -1
                return
        if c in b" \t\r\n":
            return
        self._structure(c)

    def _structure(self, c):
        expect = self.expect
        if expect == _NEXT and self.objects:
            if c == (0x7D if self.objects[-1] else 0x5D):
                self._close()
            elif c == 0x2C:
                if self.objects[-1]:
                    self.expect = _KEY
                else:
                    self.path[-1] += 1
                    self.expect = _VALUE
            else:
                raise _Malformed()
        elif expect in (_FIRST_KEY, _KEY):
            if c == 0x7D and expect == _FIRST_KEY:
                self._close()
            elif c == 0x22:
                self._start_string(True)
            else:
                raise _Malformed()
        elif expect == _COLON:
            if c != 0x3A:
                raise _Malformed()
            self.expect = _VALUE
        elif expect in (_VALUE, _FIRST_ITEM):
            if c == 0x5D and expect == _FIRST_ITEM:
                self._close()
            else:
                self._start_value(c)
        else:
            raise _Malformed()

    def _start_value(self, c):
        if c in (0x7B, 0x5B):
            if len(self.objects) >= MAX_DEPTH:
                raise _Malformed()
            is_object = c == 0x7B
            self.handler.begin(self.path, is_object)
            self.objects.append(is_object)
            self.path.append(None if is_object else 0)
            self.expect = _FIRST_KEY if is_object else _FIRST_ITEM
        elif c == 0x22:
            self._start_string(False)
        elif c in _LITERALS:
            self.literal, self.expect = _LITERALS[c][1:], _LITERAL
        elif c == 0x2D or 0x30 <= c <= 0x39:
            self.text, self.expect = bytearray((c,)), _NUMBER_
        else:
            raise _Malformed()

    def _start_string(self, is_key):
        self.text, self.too_long, self.is_key = bytearray(), False, is_key
        self.expect = _STRING

    def _end_string(self):
        if self.high:
            raise _Malformed()
        try:
            text = self.text.decode()
        except UnicodeError:
            raise _Malformed()
        self.text = bytearray()
        if self.is_key:
            if self.too_long or len(text.encode()) >= KEY_SIZE:
                raise parcelo.Error(parcelo.TOO_LONG)
            self.path[-1] = text
            self.expect = _COLON
        else:
            self._ended(text)

    def _end_hex(self):
        try:
            point = int(self.hex.decode(), 16)
        except (ValueError, UnicodeError):
            raise _Malformed()
        self.expect = _STRING
        if self.high:
            if not 0xDC00 <= point < 0xE000:
                raise _Malformed()
            point, self.high = 0x10000 + ((self.high - 0xD800) << 10) + (point - 0xDC00), 0
        elif 0xD800 <= point < 0xDC00:
            self.high = point
            return
        elif 0xDC00 <= point < 0xE000 or point == 0:
            raise _Malformed()
        for b in chr(point).encode():
            self._put(b)

    def _end_number(self):
        if not _valid_number(bytes(self.text)):
            raise _Malformed()
        self.text = bytearray()
        self._ended(None)

    def _ended(self, value):
        if self.after == -1:  # the byte-order mark
            self.after, self.expect = _VALUE, _VALUE
            return
        self.handler.value(self.path, value, self.too_long)
        self.expect = _NEXT if self.objects else _END

    def _close(self):
        self.objects.pop()
        self.path.pop()
        self.handler.end(self.path)
        self.expect = _NEXT if self.objects else _END


def _record(table, code):
    for row in table:
        if row.startswith(code + "|"):
            return row.split("|")
    return None


def _pairs(field):
    # "a:b,c:d" -> [("a", "b"), ("c", "d")]
    return [tuple(item.split(":", 1)) for item in field.split(",") if item] if field else []


def _listed(code):
    for row in parcelo_tables.AREAS:
        for station, _ in _pairs(row.split("|")[1]):
            if station == code:
                return True
    return False


def _station_rank(wanted, code, name, index):
    wanted_code, wanted_name = wanted
    if wanted_code == code:
        return 0 if index == 0 else index + 1
    if index == 0 and wanted_name and wanted_name == name and not _listed(code):
        return 1
    return _NONE


class _Forecast:
    """Hears the document's values and keeps what the page shows for one area."""

    def __init__(self, area):
        self.area = area
        record = _record(parcelo_tables.AREAS, area) or [area, "", ""]
        self.stations = _pairs(record[1])
        self.weekly = [(week, tuple(station.split(":", 1)))
                       for week, station in (item.split("=", 1) for item in record[2].split(",")
                                             if item)]
        self.found = False
        self.parts = 0
        self.ranks = {"temps": _NONE, "days": _NONE, "week_temps": _NONE}
        self.roles = [None] * 4
        self.place = {}  # the code and name of the area being read
        self.named = None  # (part, series, index) of the area last named
        self.keep = None  # the same of the area whose values are kept, or None
        self.answer = {"reportDatetime": "", "days": [], "pops": [],
                       "temps": {"station": "", "name": "", "todayMax": "", "tomorrowMin": "",
                                 "tomorrowMax": ""},
                       "week": {"area": "", "station": "", "days": []}}
        self.week_days = []

    def result(self):
        if self.parts != 2:
            raise _Malformed()
        if not self.found:
            raise parcelo.Error(NO_AREA)
        if self.answer["week"]["area"]:
            self.answer["week"]["days"] = self.week_days
        return self.answer

    @staticmethod
    def kind(path):
        # The timeSeries a path lies in: its part (0 short-term, 1 weekly) and its place.
        if len(path) < 3 or path[1] != "timeSeries" or not isinstance(path[2], int):
            return None
        kinds = ("weather", "pops", "temps") if path[0] == 0 else ("days", "week_temps")
        return kinds[path[2]] if path[0] < 2 and path[2] < len(kinds) else None

    def begin(self, path, is_object):
        depth = len(path)
        if depth == 0 and is_object or depth == 1 and not is_object:
            raise _Malformed()  # the document is an array of two objects
        if depth == 1:
            self.parts += 1
        kind = self.kind(path)
        if kind and (depth == 3 and not is_object or depth == 5 and not is_object):
            raise _Malformed()  # a series is an object, an area too

    def end(self, path):
        if len(path) == 6 and path[5] == "area" and self.kind(path):
            self.named = (path[0], path[2], path[4])
            kept = self.rank(self.kind(path), self.place.get("code", ""), self.place.get("name", ""))
            self.keep = self.named if kept else None
            self.place = {}

    def value(self, path, text, too_long):
        depth = len(path)
        if depth < 2 or path[0] > 1:
            return
        if depth == 2 and path == [0, "reportDatetime"]:
            self.answer["reportDatetime"] = value_text(text, too_long, TIME_SIZE)
            return
        kind = self.kind(path)
        if kind is None or depth < 5:
            return
        if depth == 5 and path[3] == "timeDefines":
            self.times(kind, path[4], value_text(text, too_long, TIME_SIZE))
        elif depth == 7 and path[3] == "areas" and path[5] == "area":
            if path[6] in ("code", "name"):
                size = parcelo.CODE_SIZE if path[6] == "code" else STATION_NAME_SIZE
                self.place[path[6]] = value_text(text, too_long, size)
        elif depth == 7 and path[3] == "areas":
            here = (path[0], path[2], path[4])
            if self.named != here:
                raise _Malformed()  # the agency names the area before its values
            if self.keep != here:
                return
            target = self.slot(kind, path[5], path[6])
            if target is not None:
                place, field, size = target
                place[field] = value_text(text, too_long, size)
    def times(self, kind, index, moment):
        if kind == "weather" and index < 3:
            self.answer["days"].append({"time": moment, "weatherCode": "", "weather": "",
                                        "wind": "", "waves": ""})
        elif kind == "pops" and index < 8:
            self.answer["pops"].append({"time": moment, "pop": ""})
        elif kind == "days" and index < 7:
            day = {"date": moment, "weatherCode": "", "pop": "", "reliability": ""}
            for key in _DAY_KEYS:
                day[key] = ""
            self.week_days.append(day)
        elif kind == "temps" and index < 4:
            # By time of day: today's 09:00 is today's highest; tomorrow's 00:00 and 09:00 its
            # lowest and highest. Today's 00:00 is a placeholder, never shown.
            date, hour, report = moment[:10], moment[11:13], self.answer["reportDatetime"][:10]
            roles = {(True, "09"): "todayMax", (False, "00"): "tomorrowMin",
                     (False, "09"): "tomorrowMax"}
            self.roles[index] = None if date < report else roles.get((date == report, hour))

    def rank(self, kind, code, name):
        if kind in ("weather", "pops"):
            if code != self.area:
                return False
            self.found = self.found or kind == "weather"
            return True
        if kind == "temps":
            at = _NONE
            for index, wanted in enumerate(self.stations):
                at = _station_rank(wanted, code, name, index)
                if at != _NONE:
                    break
            if at >= self.ranks["temps"]:
                return False
            self.ranks["temps"] = at
            self.answer["temps"] = {"station": code, "name": name, "todayMax": "",
                                    "tomorrowMin": "", "tomorrowMax": ""}
            return True
        if kind == "days":
            at = next((i for i, (week, _) in enumerate(self.weekly) if week == code), _NONE)
            if at >= self.ranks["days"]:
                return False
            self.ranks["days"] = at
            self.answer["week"]["area"] = code
            for day in self.week_days:
                day["weatherCode"] = day["pop"] = day["reliability"] = ""
            return True
        wanted = next((s for week, s in self.weekly if week == self.answer["week"]["area"]), None)
        at = _station_rank(wanted, code, name, 0) if wanted else _NONE
        if at >= self.ranks["week_temps"]:
            return False
        self.ranks["week_temps"] = at
        self.answer["week"]["station"] = code
        for day in self.week_days:
            for key in _DAY_KEYS:
                day[key] = ""
        return True

    def slot(self, kind, key, index):
        if kind == "weather" and index < len(self.answer["days"]):
            fields = {"weatherCodes": ("weatherCode", WEATHER_CODE_SIZE),
                      "weathers": ("weather", TEXT_SIZE), "winds": ("wind", TEXT_SIZE),
                      "waves": ("waves", TEXT_SIZE)}
            if key in fields:
                return (self.answer["days"][index],) + fields[key]
        elif kind == "pops" and key == "pops" and index < len(self.answer["pops"]):
            return self.answer["pops"][index], "pop", VALUE_SIZE
        elif kind == "temps" and key == "temps" and index < 4 and self.roles[index]:
            return self.answer["temps"], self.roles[index], VALUE_SIZE
        elif kind == "days" and index < len(self.week_days):
            fields = {"weatherCodes": ("weatherCode", WEATHER_CODE_SIZE),
                      "pops": ("pop", VALUE_SIZE), "reliabilities": ("reliability", VALUE_SIZE)}
            if key in fields:
                return (self.week_days[index],) + fields[key]
        elif kind == "week_temps" and key in _WEEK_KEYS and index < len(self.week_days):
            return self.week_days[index], _DAY_KEYS[_WEEK_KEYS.index(key)], VALUE_SIZE
        return None


def read_forecast(stream, area, timeout_ms=0):
    """What the agency's page shows for the primary subdivision `area`, read from `stream` 256
    bytes at a time. With `timeout_ms`, a read(n) that gives None (no byte yet) is tried again
    up to that long, and the document's value ends the reading (an HTTP body need not close).
    Raises parcelo.Error."""
    return read_stream(stream, ForecastReader(area), timeout_ms)


def read_stream(stream, reader, timeout_ms=0):
    """Feeds `reader` (a ForecastReader, a WarningReader) from `stream`; its result()."""
    start = _ticks()
    while not (timeout_ms and reader.done()):
        try:
            chunk = stream.read(256)
        except OSError:
            raise parcelo.Error(TIMED_OUT)
        if chunk is None and timeout_ms and _ticks() - start < timeout_ms:
            time.sleep(0.001)
            continue
        if chunk is None and timeout_ms:
            raise parcelo.Error(TIMED_OUT)
        if not chunk:
            break
        start = _ticks()
        reader.feed(chunk)
    return reader.result(timeout_ms == 0)


class DocumentReader:
    """Feeds a handler (a _Forecast) the values of a document as its bytes come: feed(chunk),
    then result(). A document of another shape is the error `malformed`."""

    def __init__(self, handler, malformed, limit=TEXT_SIZE):
        self._handler = handler
        self._malformed = malformed
        self._tokens = _Tokens(handler, limit)

    def done(self):
        return self._tokens.expect == _END

    def feed(self, chunk):
        try:
            self._tokens.feed(chunk)
        except _Malformed:
            raise parcelo.Error(self._malformed)
        except MemoryError:
            raise parcelo.Error(parcelo.NO_MEMORY)

    def result(self, whole=True):
        """The answer; `whole`: the stream has ended, so a document cut short is an error."""
        try:
            if whole or not self.done():
                self._tokens.finish()
            return self._handler.result()
        except _Malformed:
            raise parcelo.Error(self._malformed)


class ForecastReader(DocumentReader):
    """read_forecast, fed by the caller: feed(chunk) with the document's bytes as they come,
    then result(). Holds the answer so far, one string and the path, whatever the document's
    size."""

    def __init__(self, area):
        parcelo._check_code(area)
        super().__init__(_Forecast(area), NOT_FORECAST)


forecast_office = parcelo.forecast_office


def weather_code_text(code):
    """(Japanese, English, day icon, night icon) of a weather code; ("unknown", "unknown", "",
    "") for a code the agency's table does not have."""
    record = _record(parcelo_tables.CODES, code) if code else None
    if record is None:
        return ("unknown", "unknown", "", "")
    return (record[3], record[4], record[1], record[2])
