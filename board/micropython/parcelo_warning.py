# Reads the agency's warnings and advisories for one office
# (https://www.jma.go.jp/bosai/warning/data/r8/<office>.json) as it streams, and keeps what is in
# force for one town, the same as the Arduino library's readWarnings. The document is an array of
# bulletins, one per family of phenomena, in no order of time: the town's kinds are merged across
# them, the newest bulletin deciding a code that two carry. 解除 ends a kind; 発表, 継続 and the
# changes of level keep it in force at the level its code names. The town is its municipality
# (town.json's "city"); where the document lacks it, its primary subdivision stands in
# ("fromArea"). Copy this file and parcelo_warning_tables.py beside parcelo_forecast.py.
#
# read_warnings(stream, city, area) returns a dict:
#   "reportDatetime": the newest bulletin that carries the town,
#   "fromArea": whether the primary subdivision stood in for the municipality,
#   "kinds": [(code, status, level)] in force, the most severe first, at most MAX_WARNINGS,
#   "more": how many more are in force, "headline": the most severe bulletin's headline.
import parcelo
import parcelo_forecast
import parcelo_warning_tables

OLD_WARNINGS = "old warning address: use data/r8/"
NOT_WARNINGS = "not the agency's warnings"
NO_TOWN = "no such town in the warnings"

MAX_WARNINGS = 6
HEADLINE_SIZE = 256
STATUS_SIZE = 48
CONTROL_SIZE = 24
# Levels: 4 特別警報, 3 危険警報, 2 警報, 1 注意報, 0 解除; UNKNOWN for a code the table lacks,
# which ranks with 警報: shown, never dropped.
UNKNOWN = 5
_MERGED_SIZE = 16
_BULLETIN_KINDS = 8
_ENDED = ("解除", "発表警報・注意報はなし")


def read_warnings(stream, city, area, timeout_ms=0):
    """The town's warnings, read from `stream` 256 bytes at a time (see read_forecast).
    Raises parcelo.Error."""
    return parcelo_forecast.read_stream(stream, WarningReader(city, area), timeout_ms)


class WarningReader(parcelo_forecast.DocumentReader):
    def __init__(self, city, area):
        if city:
            parcelo._check_code(city)
        parcelo._check_code(area)
        super().__init__(_Warnings(city, area), NOT_WARNINGS, HEADLINE_SIZE)


def warning_code_text(code, legacy=False):
    """(Japanese, English, phenomenon, level) of a code, from today's table or, with `legacy`,
    the one before 2026-05-29; ("unknown", "unknown", "unknown", UNKNOWN) for another code."""
    table = parcelo_warning_tables.LEGACY if legacy else parcelo_warning_tables.R8
    fields = parcelo_forecast._record(table, code) if code else None
    if fields is None:
        return ("unknown", "unknown", "unknown", UNKNOWN)
    return (fields[3], fields[4], fields[2], int(fields[1]))


def _rank(level):
    return 2 if level == UNKNOWN else level


class _Warnings:
    """Hears the document's values and keeps the town's kinds."""

    def __init__(self, city, area):
        self.city, self.area = city, area
        self.top = None  # "array" or "object"
        self.old = False
        self.city_found = False
        self.found = False
        self.merged = []  # [code, status, report, control], in the order codes first came
        self.overflow = 0
        self.best = (-1, "", "")  # the level, report and control of the headline's bulletin
        self.answer = {"reportDatetime": "", "fromArea": True, "kinds": [], "more": 0,
                       "headline": ""}
        self._start_bulletin()

    def _start_bulletin(self):
        self.report = self.control = self.headline = ""
        self.kinds = {True: [], False: []}  # the municipality's and the area's
        self.listed = {True: False, False: False}
        self.item = None  # (is class20, areaCode) of the item being read
        self.kind = {}

    def begin(self, path, is_object):
        depth = len(path)
        if depth == 0:
            self.top = "object" if is_object else "array"
            return
        if self.top == "object":
            self.old = self.old or (depth == 1 and path[0] == "areaTypes")
            return
        need = None  # whether this container must be an object (True) or an array (False)
        if depth == 1:
            need = True  # a bulletin
        elif depth == 2 and path[1] in ("reportDatetime", "controlDatetime", "headlineText"):
            raise parcelo_forecast._Malformed()
        elif depth == 2:
            need = True if path[1] == "warning" else None
        elif not self._inside(path):
            return
        elif depth in (3, 4):
            need = depth == 4  # an array of items, each an object
        elif depth == 5 and path[4] == "areaCode":
            raise parcelo_forecast._Malformed()
        elif depth == 5 and path[4] == "kinds":
            self._named()
            need = False if self._keeps() else None
        elif path[4] == "kinds" and self._keeps():
            if depth == 7 and path[6] in ("code", "status"):
                raise parcelo_forecast._Malformed()
            need = True if depth == 6 else None
        if need is not None and need != is_object:
            raise parcelo_forecast._Malformed()

    def _inside(self, path):
        # Whether a path lies in the bulletin's "warning" items.
        return len(path) >= 3 and path[1] == "warning" and path[2] in _ITEMS

    def _named(self):
        # The agency names the area before its kinds; without it, they have no owner.
        if self.item is None:
            raise parcelo_forecast._Malformed()

    def _keeps(self):
        if self.item is None:
            return False
        municipality, code = self.item
        return code == self.city if municipality and self.city else \
            not municipality and code == self.area

    def value(self, path, text, too_long):
        depth = len(path)
        if self.top == "object":
            self.old = self.old or (depth == 1 and path[0] == "areaTypes")
            return
        if depth < 2:
            raise parcelo_forecast._Malformed()  # the document and its bulletins are containers
        fields = {"reportDatetime": ("report", parcelo_forecast.TIME_SIZE),
                  "controlDatetime": ("control", CONTROL_SIZE),
                  "headlineText": ("headline", HEADLINE_SIZE)}
        if depth == 2 and path[1] in fields:
            name, size = fields[path[1]]
            setattr(self, name, parcelo_forecast.value_text(text, too_long, size))
        elif depth == 2 and path[1] == "warning":
            raise parcelo_forecast._Malformed()
        elif depth == 2 or not self._inside(path):
            return
        elif depth in (3, 4):
            raise parcelo_forecast._Malformed()  # the items are an array of objects
        elif depth == 5 and path[4] == "areaCode":
            self.item = (path[2] == "class20Items",
                         parcelo_forecast.value_text(text, too_long, parcelo.CODE_SIZE))
        elif depth == 5 and path[4] == "kinds":
            self._named()
            if self._keeps():
                raise parcelo_forecast._Malformed()
        elif path[4] == "kinds" and self._keeps():
            if depth == 6:
                raise parcelo_forecast._Malformed()  # a kind is an object
            if depth == 7 and path[6] in ("code", "status"):
                size = 4 if path[6] == "code" else STATUS_SIZE
                self.kind[path[6]] = parcelo_forecast.value_text(text, too_long, size)

    def end(self, path):
        depth = len(path)
        if self.top == "object":
            return
        if depth == 6 and self._inside(path) and path[4] == "kinds" and self._keeps():
            municipality = self.item[0]
            if self.kind.get("code") and len(self.kinds[municipality]) < _BULLETIN_KINDS:
                self.kinds[municipality].append((self.kind["code"], self.kind.get("status", "")))
                self.listed[municipality] = True
            self.kind = {}
        elif depth == 5 and path[4] == "kinds" and self._inside(path) and self._keeps():
            self.listed[self.item[0]] = True
        elif depth == 4 and self._inside(path):
            self.item = None
        elif depth == 1:
            self._take_bulletin()
            self._start_bulletin()

    def _take_bulletin(self):
        if self.listed[True] and not self.city_found:
            self.city_found = True
            self.merged, self.overflow = [], 0
            self.best = (-1, "", "")
            self.answer["reportDatetime"] = ""
        if self.listed[True]:
            self._take(self.kinds[True])
        if self.listed[False] and not self.city_found:
            self._take(self.kinds[False])

    def _take(self, kinds):
        self.found = True
        when = (self.report, self.control)
        level = 0
        for code, status in kinds:
            if status not in _ENDED:
                level = max(level, _rank(warning_code_text(code)[3]))
            entry = next((e for e in self.merged if e[0] == code), None)
            if entry is None and len(self.merged) == _MERGED_SIZE:
                self.overflow += 1
            elif entry is None:
                self.merged.append([code, status, self.report, self.control])
            elif when > (entry[2], entry[3]):
                entry[1:] = [status, self.report, self.control]
        if self.report > self.answer["reportDatetime"]:
            self.answer["reportDatetime"] = self.report
        if level > 0 and (level, self.report, self.control) > self.best:
            self.best = (level, self.report, self.control)
            self.answer["headline"] = self.headline

    def result(self):
        if self.top == "object":
            raise parcelo.Error(OLD_WARNINGS if self.old else NOT_WARNINGS)
        if not self.found:
            raise parcelo.Error(NO_TOWN)
        shown = [(code, status, warning_code_text(code)[3]) for code, status, _, _ in self.merged
                 if status not in _ENDED]
        shown = [kind for kind in shown if _rank(kind[2]) > 0]
        # The most severe first; within a level, in the order the codes first came (MicroPython's
        # sort is not stable: the place is part of the key).
        order = sorted(range(len(shown)), key=lambda i: (-_rank(shown[i][2]), i))
        shown = [shown[i] for i in order]
        self.answer["fromArea"] = not self.city_found
        self.answer["kinds"] = shown[:MAX_WARNINGS]
        self.answer["more"] = self.overflow + max(0, len(shown) - MAX_WARNINGS)
        return self.answer


_ITEMS = ("class20Items", "class10Items")
