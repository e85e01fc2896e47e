# The weather of one town on the screen (UIFlow 2): today and tomorrow (weather, chance of rain,
# temperatures) and the week, from the agency's forecast, fetched over HTTPS with its certificate
# checked and read as it streams. It looks for a new forecast every 30 minutes (a request that
# costs a few hundred bytes when nothing is new); after a failure it keeps the last forecast on
# the screen and tries again after 1, 2, 5, 10, then every 30 minutes. parcelo.py,
# parcelo_forecast.py, parcelo_http.py, parcelo_certificates.py and parcelo_tables.py lie beside
# this file. The town is the one saved in town.json beside Parcelo's files, by Parcelo's page or
# choose_your_town.py. Edit the two lines below: your Wi-Fi.
import time

import M5
import parcelo
import parcelo_certificates
import parcelo_forecast
import parcelo_http
import parcelo_warning

WIFI_NAME = "your-network"
WIFI_PASSWORD = "your-password"

HOST = "www.jma.go.jp"
DEADLINE_MS = parcelo_http.DEADLINE_MS  # for a whole fetch
RETRY_MINUTES = (1, 2, 5, 10, 30)
SCREEN_WIDTH = 320  # M5Stack Basic, Core2 and CoreS3; 15 lines of 16 px

# What is on the screen: the last good forecast, when it came, and its Last-Modified.
state = {"forecast": None, "fetched": 0, "last_modified": ""}
warnings_state = {"warnings": None, "fetched": 0, "last_modified": "", "problem": None}
STALE_DAYS = 7  # warnings whose newest bulletin is older are not "none"
town = None  # parcelo.town(): the town chosen


def fetch():
    """Fetches the forecast of the town's area into `state`, or learns that it has not changed;
    the text of what went wrong, or None."""
    path = "/bosai/forecast/data/forecast/{}.json".format(town["forecastOffice"])
    return _fetch(path, state, "forecast",
                  lambda body: parcelo_forecast.read_forecast(body, town["area"]))


def fetch_warnings():
    """The same for the town's warnings, into `warnings_state`."""
    path = "/bosai/warning/data/r8/{}.json".format(town["office"])
    warnings_state["problem"] = _fetch(
        path, warnings_state, "warnings",
        lambda body: parcelo_warning.read_warnings(body, town["city"], town["area"]))
    return warnings_state["problem"]


def _fetch(path, kept, key, read):
    import binascii
    import socket
    import ssl

    started = time.ticks_ms()
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
    context.verify_mode = ssl.CERT_REQUIRED
    for root in parcelo_certificates.ROOTS:
        context.load_verify_locations(cadata=binascii.a2b_base64(root))
    sock = stream = None
    try:
        try:
            sock = socket.socket()
            sock.settimeout(1)  # each wait; the deadline bounds the whole fetch
            sock.connect(socket.getaddrinfo(HOST, 443)[0][-1])
        except OSError:
            raise parcelo.Error(parcelo_http.NO_CONNECTION)
        try:
            stream = context.wrap_socket(sock, server_hostname=HOST)
        except (OSError, ValueError) as error:
            # mbedTLS's "certificate verification failed" (-0x2700), as OSError or ValueError
            trusted = isinstance(error, OSError) and error.args[0] != -0x2700
            raise parcelo.Error(parcelo_http.NO_CONNECTION if trusted else parcelo_http.NOT_TRUSTED)
        response = parcelo_http.get(stream, HOST, path, kept["last_modified"] if kept[key] else "",
                                    DEADLINE_MS, started)
        if response.status == 200:
            kept[key] = read(response)
            kept["last_modified"] = response.last_modified
        kept["fetched"] = time.ticks_ms()
        return None
    except parcelo.Error as error:
        return error.kind
    finally:
        if stream or sock:
            (stream or sock).close()


def shown(value):
    # The agency leaves some values empty: "no value", shown as a dash.
    return value or "-"


def fitted(line):
    """The line, cut with "…" where it would be wider than the screen (ASCII 8 px, the rest 16
    px in EFontJA16)."""
    widths = [8 if ord(char) < 0x80 else 16 for char in line]
    if sum(widths) <= SCREEN_WIDTH:
        return line
    width = 0
    for i, char_width in enumerate(widths):
        width += char_width
        if width > SCREEN_WIDTH - 16:
            return line[:i] + "…"
    return line


def day_name(date, today):
    """"今日", "明日" or "MM-DD" for a date ("2024-01-11..."), by the board's clock: `today` is
    time.localtime()'s tuple in Japan's time, or None before the clock is set."""
    for ahead, name in ((0, "今日"), (1, "明日")):
        if today is not None:
            day = time.localtime(time.mktime(today[:3] + (12, 0, 0, 0, 0)) + ahead * 86400)
            if date[:10] == "{:04d}-{:02d}-{:02d}".format(*day[:3]):
                return name
    return date[5:10]


def days_since(when, today):
    """Days between a bulletin's time ("2026-09-16T11:37...") and `today`'s date."""
    then = (int(when[:4]), int(when[5:7]), int(when[8:10]), 12, 0, 0, 0, 0)
    return (time.mktime(tuple(today[:3]) + (12, 0, 0, 0, 0)) - time.mktime(then)) // 86400


def warning_line(warnings, today, problem):
    """The town's warnings on one line, and its level for the colour: the most severe by name
    and how many more there are; "警報・注意報なし" only while the warnings are fresh."""
    if warnings is None:
        return "警報・注意報: " + (problem or "-"), 0
    mark = " ! " + problem if problem else ""
    area = " (区域)" if warnings["fromArea"] else ""  # the primary subdivision's
    if not warnings["kinds"]:
        days = days_since(warnings["reportDatetime"], today) if today else 0
        if days > STALE_DAYS:
            return "警報・注意報: {}日間更新なし{}".format(days, mark), 0
        return "警報・注意報なし" + area + mark, 0
    code, _, level = warnings["kinds"][0]
    rest = len(warnings["kinds"]) - 1 + warnings["more"]
    others = " 他{}件".format(rest) if rest else ""
    return parcelo_warning.warning_code_text(code)[0] + others + area + mark, level


def lines(forecast, today=None, problem=None, age_minutes=0, warnings=None,
          warnings_problem=None):
    """What the screen shows, line by line: the town's warnings, the forecast (None before the
    first), and what went wrong at the last try."""
    out = [warning_line(warnings, today, warnings_problem)[0]]
    if forecast:
        day = "" if today is None else "{:04d}-{:02d}-{:02d}".format(*today[:3])
        out.append("{} {}".format(forecast["reportDatetime"][:16], forecast["temps"]["name"]))
        temps = forecast["temps"]
        # The first two days that are not past: a 17 JST forecast seen after midnight starts a
        # day on. The temperatures are the forecast's first day's highest, and its second day's.
        ranges = (("", temps["todayMax"]), (temps["tomorrowMin"], temps["tomorrowMax"]))
        shown_days = 0
        for index, time_ in enumerate(forecast["days"]):
            if time_["time"][:10] < day or shown_days == 2:
                continue
            low, high = ranges[index] if index < 2 else ("", "")
            text = parcelo_forecast.weather_code_text(time_["weatherCode"])[0]
            out += ["{} {}".format(day_name(time_["time"], today), text),
                    "  {} / {} ℃".format(shown(low), shown(high))]
            shown_days += 1
        pops = "".join(" " + shown(pop["pop"]) for pop in forecast["pops"] if pop["time"][:10] >= day)
        if pops:
            out.append("降水" + pops + "%")
        # Six days of the week, below the warnings' line: 15 lines in all.
        for week_day in [d for d in forecast["week"]["days"] if d["date"][:10] >= day][:6]:
            text = parcelo_forecast.weather_code_text(week_day["weatherCode"])[0]
            out.append("{} {} {}% {}/{}".format(week_day["date"][5:10], text, shown(week_day["pop"]),
                                                shown(week_day["min"]), shown(week_day["max"])))
    if problem and forecast:
        out.append("! {}, {}分前の予報".format(problem, age_minutes))
    elif problem:
        out += ["Error: " + problem, "Retry in {} min".format(RETRY_MINUTES[0])]
    if problem == parcelo_http.NOT_TRUSTED:
        out.append("See the guide: Certificates")
    out.append("出典：気象庁ホームページ")
    return [fitted(line) for line in out]


COLOURS = (0xFFFF, 0xFFE0, 0xF800, 0xF81F, 0xF81F, 0xF800)  # by level: white, yellow, red, magenta


def show(text_lines, first_colour=0xFFFF):
    M5.Lcd.clear()
    M5.Lcd.setCursor(0, 0)
    for i, line in enumerate(text_lines):
        M5.Lcd.setTextColor(first_colour if i == 0 else 0xFFFF)
        M5.Lcd.print(line + "\n")


def japan_today():
    """Today in Japan's time, or None before the clock is set (the board keeps UTC)."""
    now = time.time() + 9 * 3600
    return time.localtime(now) if now > 1700000000 else None


def join_wifi(wlan):
    """Joins the Wi-Fi, waiting up to 20 s; says so on the screen when it cannot."""
    if wlan.isconnected():
        return True
    wlan.connect(WIFI_NAME, WIFI_PASSWORD)
    for _ in range(100):
        if wlan.isconnected():
            return True
        time.sleep(0.2)
    show([fitted("Wi-Fi: cannot join " + WIFI_NAME), "Check its name and password"])
    return False


def main():
    import network
    import ntptime

    global town
    M5.begin()
    M5.Lcd.setFont(M5.Lcd.FONTS.EFontJA16)
    try:
        town = parcelo.town()
    except parcelo.Error as error:
        show(["Town: " + error.kind, "Save your town from Parcelo's page", "or choose_your_town.py",
              "into town.json beside Parcelo's files"])
        return
    wlan = network.WLAN(network.STA_IF)
    wlan.active(True)
    # The warnings every 5 minutes, the forecast every 30; after a failure, the next of
    # RETRY_MINUTES. Each asks with its Last-Modified: a 304 costs a few hundred bytes.
    schedule = {"warnings": [fetch_warnings, 5, 0, 0], "forecast": [fetch, 30, 0, 0]}
    problem = None
    while True:
        if join_wifi(wlan):
            if japan_today() is None:
                try:
                    ntptime.settime()
                except OSError:
                    pass  # tried again at the next fetch; the days are named by their dates
            for key, entry in schedule.items():
                get, every, due, failures = entry
                if time.ticks_diff(time.ticks_ms(), due) < 0:
                    continue
                result = get()
                problem = result if key == "forecast" else problem
                minutes = every if result is None else RETRY_MINUTES[min(failures, 4)]
                entry[2] = time.ticks_add(time.ticks_ms(), minutes * 60000)
                entry[3] = 0 if result is None else failures + 1
            age = time.ticks_diff(time.ticks_ms(), state["fetched"]) // 60000
            today, warnings = japan_today(), warnings_state["warnings"]
            show(lines(state["forecast"], today, problem, age, warnings, warnings_state["problem"]),
                 COLOURS[warning_line(warnings, today, warnings_state["problem"])[1]])
        time.sleep(60)


if __name__ == "__main__":
    main()
