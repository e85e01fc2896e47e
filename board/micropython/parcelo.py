# Reads the files that Parcelo writes (centers.json and one <office>.json per forecast office)
# on MicroPython and UIFlow 2. Copy this file onto the board, beside your program.
#
# Each call reads one file. Codes stay strings, exactly as the files hold them ("010000",
# never 10000). A call that cannot answer raises parcelo.Error, whose `kind` is one of the
# texts below, the same as the Arduino library's; no other exception leaves this module.
import json

FOLDER = "/sd/parcelo"  # UIFlow mounts the microSD card at /sd; "/flash/parcelo" in flash

NO_FILE = "no such file on the card"
NOT_PARCELO = "not a file that Parcelo wrote"
TOO_LONG = "a code or name too long"
NO_MEMORY = "not enough memory"
BAD_CODE = "not a code"

# Room for a code or a name in UTF-8, as in the Arduino library (terminating NUL included there).
CODE_SIZE = 16
NAME_SIZE = 128


class Error(Exception):
    def __init__(self, kind):
        super().__init__(kind)
        self.kind = kind


def _answers(call):
    # Too little heap can strike while the answer is built, not only while the file is read.
    def guarded(*args, **kwargs):
        try:
            return call(*args, **kwargs)
        except MemoryError:
            raise Error(NO_MEMORY)

    return guarded


@_answers
def centers(folder=FOLDER):
    """[(code, name)] of every regional centre, in the file's order."""
    order = []
    index = _load(folder, "centers", dict, order)
    return [(_code(code), _name(_member(index[code], "name"))) for code in order]


@_answers
def offices(center, folder=FOLDER):
    """[(code, name)] of every office of the centre `center`; [] for a centre the file lacks."""
    _check_code(center)
    index = _load(folder, "centers", dict)
    if center not in index:
        return []
    return [_place(child) for child in _list(_member(index[center], "children"))]


@_answers
def municipalities(office, folder=FOLDER):
    """[(cityname, areaname, code)] of every municipality of the office, in the file's order;
    `code` is the primary subdivision's, by which the agency's forecast lists its areas."""
    _check_code(office)
    return [_municipality(entry) for entry in _load(folder, office, list)]


def area_code(office, cityname, folder=FOLDER):
    """The primary-subdivision code of the municipality `cityname` of the office: the first
    entry's where a name repeats, "" where there is none."""
    for town, _, code in municipalities(office, folder):
        if town == cityname:
            return code
    return ""


def forecast_office(office):
    """The office whose document carries `office`'s forecast: the agency publishes 十勝 (014030)
    in 釧路・根室's (014100) and 奄美 (460040) in 鹿児島's (460100)."""
    return {"014030": "014100", "460040": "460100"}.get(office, office)


@_answers
def town(folder=FOLDER):
    """The town the owner chose, from town.json (Parcelo's page and choose_your_town.py save
    it): a dict with "office", "forecastOffice" (the office whose forecast document carries
    it), "area" (its primary subdivision), "areaname", "cityname" and "city" (its key in the
    agency's class20s, "" where unknown). A missing forecastOffice is the office's own."""
    record = _load(folder, "town", dict)
    out = {key: _code(_member(record, key)) for key in ("office", "area")}
    out.update({key: _name(_member(record, key)) for key in ("areaname", "cityname")})
    out["forecastOffice"] = _code(record.get("forecastOffice", out["office"]))
    out["city"] = _code(record.get("city", ""))
    for key in ("office", "area", "forecastOffice"):
        try:
            _check_code(out[key])
        except Error:
            raise Error(NOT_PARCELO)
    return out


def save_town(town, folder=FOLDER):
    """Writes `town` (a dict as town() gives) as town.json, as the page writes it: keys in order,
    four spaces of indent. Raises OSError where the card takes no file."""
    keys = ("area", "areaname", "city", "cityname", "forecastOffice", "office")
    text = "{\n" + ",\n".join("    {}: {}".format(_json_string(key), _json_string(town.get(key, "")))
                              for key in keys) + "\n}"
    with open(folder + "/town.json", "w") as file:
        file.write(text)


def _json_string(text):
    # Quotes, backslashes and control characters escaped, as JSON.stringify escapes them.
    short = {'"': '\\"', "\\": "\\\\", "\b": "\\b", "\f": "\\f", "\n": "\\n", "\r": "\\r",
             "\t": "\\t"}
    return '"' + "".join(short.get(c) or (c if ord(c) >= 0x20 else "\\u%04x" % ord(c))
                         for c in text) + '"'


def _check_code(code):
    if not isinstance(code, str) or not code or len(code.encode()) >= CODE_SIZE:
        raise Error(BAD_CODE)
    for c in "/\\*":
        if c in code:
            raise Error(BAD_CODE)


def _load(folder, name, kind, order=None):
    path = folder + "/" + name + ".json"
    try:
        with open(path) as file:
            # A byte-order mark, as Windows editors write it, is read past; without one the
            # file is opened again, so that json reads it whole from the start.
            if file.read(1) == "\ufeff":
                value = _parse(file, order)
            else:
                file.close()
                with open(path) as again:
                    value = _parse(again, order)
    except OSError:
        raise Error(NO_FILE)
    except (ValueError, UnicodeError, RuntimeError):
        raise Error(NOT_PARCELO)
    # The tool writes "null" for a list without centres.
    if value is None and kind is dict:
        return {}
    if not isinstance(value, kind):
        raise Error(NOT_PARCELO)
    return value


def _parse(file, order):
    # `order`, where given, receives the top object's keys in the file's order, which
    # MicroPython's dict does not keep (centers.json is small enough to be held as text).
    if order is None:
        return json.load(file)
    text = file.read()
    value = json.loads(text)
    if isinstance(value, dict):
        order.extend(_keys(text))
    return value


def _keys(text):
    # The keys of the object `text` holds, in order; `text` is JSON that json has read.
    keys, depth, at = [], 0, 0
    while at < len(text):
        c = text[at]
        if c == '"':
            end = at + 1
            while text[end] != '"':
                end += 2 if text[end] == "\\" else 1
            after = end + 1
            while text[after] in " \t\r\n":
                after += 1
            if depth == 1 and text[after] == ":":
                keys.append(json.loads(text[at:end + 1]))
            at = end + 1
            continue
        depth += 1 if c in "{[" else -1 if c in "}]" else 0
        at += 1
    return keys


def _member(record, key):
    if not isinstance(record, dict) or key not in record:
        raise Error(NOT_PARCELO)
    return record[key]


def _list(value):
    if not isinstance(value, list):
        raise Error(NOT_PARCELO)
    return value


def _text(value, size):
    if not isinstance(value, str):
        raise Error(NOT_PARCELO)
    try:
        data = value.encode()
    except UnicodeError:  # CPython: half of a surrogate pair alone
        raise Error(NOT_PARCELO)
    if b"\xed" in data:
        value, data = _paired(data)
    if len(data) >= size:
        raise Error(TOO_LONG)
    return value


def _paired(data):
    # MicroPython's json decodes a character outside the BMP, written as a surrogate pair
    # ("\ud842\udfb7"), into the pair's two halves, 3 bytes each; joined, they are the character
    # itself (𠮷, 4 bytes), as the file means it. A half alone means no character: not our file.
    out, at = bytearray(), 0
    while at < len(data):
        if data[at] == 0xED and at + 2 < len(data) and data[at + 1] >= 0xA0:
            if not (data[at + 1] < 0xB0 and data[at + 3:at + 4] == b"\xed" and at + 5 < len(data)
                    and data[at + 4] >= 0xB0):
                raise Error(NOT_PARCELO)
            high = (data[at + 1] & 0x0F) << 6 | data[at + 2] & 0x3F
            low = (data[at + 4] & 0x0F) << 6 | data[at + 5] & 0x3F
            out.extend(chr(0x10000 + (high << 10) + low).encode())
            at += 6
        else:
            out.append(data[at])
            at += 1
    return bytes(out).decode(), out


def _code(value):
    return _text(value, CODE_SIZE)


def _name(value):
    return _text(value, NAME_SIZE)


def _place(child):
    return (_code(_member(child, "code")), _name(_member(child, "name")))


def _municipality(entry):
    return (
        _name(_member(entry, "cityname")),
        _name(_member(entry, "areaname")),
        _code(_member(entry, "code")),
    )
