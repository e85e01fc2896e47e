"""The local HTTPS server of the board's checks, and the table of its answers (http_rows.json).

  https_server.py arduino WORK FORECAST SKETCH CARD EXPECTED
      makes a throwaway CA in WORK (root, intermediate and leaf for www.jma.go.jp, as the agency
      serves its chain, and a stranger root with a chain of its own), serves each row on
      127.0.0.1 and runs SKETCH (the TownWeather example, built on this machine) against it:
      its screen must show what the row says (EXPECTED for the forecast).
  https_server.py widest FORECAST CODES OUT
      writes documents that show every weather code of CODES with the widest values.
  https_server.py events FORECAST OUT
      writes each row as the bytes the server sends, with the pauses before them and how the
      connection ends, for the MicroPython check, which replays them under the program.

The board's deadline for a whole fetch is 60 s; the Arduino check runs the sketch's clock 20
times as fast (PARCELO_CLOCK_SCALE) and the MicroPython check gives the program 3 s, so the
pauses below are in the board's time divided by 20.
"""
import base64
import gzip
import json
import os
import re
import shutil
import socket
import ssl
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
HOST = "www.jma.go.jp"


def events(row, forecast):
    """(pauses and bytes, how the connection ends) that the server sends for `row`."""
    body = row["body"].encode() if "body" in row else forecast
    headers = list(row.get("headers", [])) + ["Content-Type: application/json"]
    if row.get("gzip"):
        body = gzip.compress(body, mtime=0)
        headers.append("Content-Encoding: gzip")
    if "pad" in row:  # the whole line, CR LF included
        headers.append("X-Padding: " + "x" * (row["pad"] - len("X-Padding: ") - 2))
    whole = len(body)
    if row.get("chunked"):
        headers.append("Transfer-Encoding: chunked")
        pieces = [body[i:i + 1000] for i in range(0, len(body), 1000)]
        body = b"".join(b"%x%s\r\n%s\r\n" % (len(p), b";x=y" if i == 1 else b"", p)
                        for i, p in enumerate(pieces)) + b"0\r\n\r\n"
    elif row.get("length", True):
        headers.append("Content-Length: %d" % whole)
    end = "\n" if row.get("lf") else "\r\n"
    head = (row.get("status", "HTTP/1.1 200 OK") + end + end.join(headers) + end + end).encode()
    if "cut" in row:
        body = body[:int(len(body) * row["cut"])]
    count = row.get("pieces", 1)
    size = max(1, -(-len(body) // count))
    sent = [[row.get("first", 0), head + body[:size]]]
    sent += [[row.get("gap", 0), body[i:i + size]] for i in range(size, len(body), size)]
    return sent, row.get("close", "notify")


def warnings_for_shinjuku(path):
    """An office's warnings made 新宿区's: Akita's first town and area renamed to 1310400 and
    130010, so that the weather's town has them."""
    with open(path, encoding="utf-8") as file:
        return file.read().replace('"0520100"', '"1310400"').replace('"050010"', '"130010"')


def widest(forecast, codes_path):
    """Documents for 新宿区's area that show every one of the agency's weather codes, ten to a
    document, with the widest values: each screen must fit 320 x 240 uncut."""
    with open(codes_path, encoding="utf-8") as file:
        codes = sorted(json.load(file))
    documents = []
    for at in range(0, len(codes), 10):
        batch = (codes[at:at + 10] * 10)[:10]
        document = json.loads(forecast)
        short, week = document[0]["timeSeries"], document[1]["timeSeries"]
        short[0]["areas"][0]["weatherCodes"] = batch[:3]
        short[1]["areas"][0]["pops"] = ["100"] * len(short[1]["timeDefines"])
        short[2]["areas"][0]["temps"] = ["-10"] * len(short[2]["timeDefines"])
        week[0]["areas"][0].update(weatherCodes=batch[3:], pops=["100"] * 7)
        for key in ("tempsMin", "tempsMax"):
            week[1]["areas"][0][key] = ["-10"] * 7
        documents.append(json.dumps(document, ensure_ascii=False))
    return documents


def fits(screen):
    """What is wrong with a screen of 320 x 240 in a 16 px font (ASCII 8 px wide)."""
    lines = screen.rstrip("\n").split("\n")
    wide = [line for line in lines if sum(8 if ord(c) < 0x80 else 16 for c in line) > 320]
    cut = [line for line in lines if "…" in line]
    return (["%d lines" % len(lines)] if len(lines) > 15 else []) + wide + cut


def make_chains(work):
    """Certificates in WORK: the chain for the rows, and one to a root no board knows."""
    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=work, check=True, capture_output=True)

    with open(os.path.join(work, "ca.ext"), "w") as file:
        file.write("[ca]\nbasicConstraints=critical,CA:TRUE\nkeyUsage=critical,keyCertSign,cRLSign\n"
                   "[leaf]\nsubjectAltName=DNS:%s\nextendedKeyUsage=serverAuth\n" % HOST)
    for root in ("root", "stranger"):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "30", "-subj",
                "/CN=Parcelo test %s" % root, "-keyout", root + ".key", "-out", root + ".pem",
                "-addext", "basicConstraints=critical,CA:TRUE",
                "-addext", "keyUsage=critical,keyCertSign,cRLSign")
        parent = root
        for name, subject, section in ((root + "-inter", "/CN=Parcelo test intermediate", "ca"),
                                       (root + "-leaf", "/CN=" + HOST, "leaf")):
            openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", subject,
                    "-keyout", name + ".key", "-out", name + ".csr")
            openssl("x509", "-req", "-in", name + ".csr", "-CA", parent + ".pem", "-CAkey",
                    parent + ".key", "-CAcreateserial", "-days", "30", "-out", name + ".pem",
                    "-extfile", "ca.ext", "-extensions", section)
            parent = name
        with open(os.path.join(work, root + "-chain.pem"), "w") as chain:
            for part in (root + "-leaf.pem", root + "-inter.pem"):
                with open(os.path.join(work, part)) as file:
                    chain.write(file.read())


class Server:
    """Serves the current row to each connection, on 127.0.0.1."""

    def __init__(self, work, forecast, warnings):
        self.forecast, self.row, self.contexts = forecast, {}, {}
        self.warnings = {"what": "the town's warnings", "body": warnings}
        for root in ("root", "stranger"):
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            context.load_cert_chain(os.path.join(work, root + "-chain.pem"),
                                    os.path.join(work, root + "-leaf.key"))
            self.contexts[root] = context
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        threading.Thread(target=self.accept, daemon=True).start()

    def accept(self):
        while True:
            conn, _ = self.listener.accept()
            threading.Thread(target=self.answer, args=(conn,), daemon=True).start()

    def answer(self, conn):
        # The row answers the forecast's requests (a list of rows, one each in turn); the town's
        # warnings answer the others, under the row's chain.
        row = self.row[0] if isinstance(self.row, list) else self.row
        try:
            tls = self.contexts[row.get("root", "root")].wrap_socket(conn, server_side=True)
            request = b""
            while b"\r\n\r\n" not in request:
                request += tls.recv(4096) or b"\r\n\r\n"
            if b"/bosai/warning/" in request:
                row = self.warnings
            elif isinstance(self.row, list):
                row = self.row.pop(0)
            sent, close = events(row, self.forecast)
            for pause, data in sent:
                time.sleep(pause)
                tls.sendall(data)
            if close == "hang":
                time.sleep(4)
            if close == "notify":
                tls = tls.unwrap()
            tls.close()  # without unwrap(), no close_notify: an abrupt close
        except (OSError, ssl.SSLError):
            conn.close()


def arduino(work, forecast_path, sketch, card, expected_path):
    codes_path = os.path.join(os.path.dirname(os.path.dirname(forecast_path)), "weather-codes.json")
    os.makedirs(work, exist_ok=True)
    make_chains(work)
    warning_folder = os.path.join(os.path.dirname(os.path.dirname(forecast_path)), "warning")
    warnings = warnings_for_shinjuku(os.path.join(warning_folder, "050000-202608232351.json"))
    with open(forecast_path, "rb") as file:
        server = Server(work, file.read(), warnings)
    with open(expected_path, encoding="utf-8") as file:
        expected = file.read()
    env = dict(os.environ, PARCELO_HTTPS_PORT=str(server.port), PARCELO_CLOCK_SCALE="20",
               PARCELO_TEST_ROOT=os.path.join(work, "root.pem"), PARCELO_NOW="2024-01-11T11:20")
    town = os.path.join(card, "parcelo", "town.json")
    shutil.copy(os.path.join(HERE, "town.json"), town)

    def run(now=None, **more):
        started = time.monotonic()
        run_env = dict(env, PARCELO_NOW=now or env["PARCELO_NOW"], **more)
        out = subprocess.run([sketch, card], env=run_env, capture_output=True, timeout=60).stdout
        screen, _, request = out.decode("utf-8", "replace").replace("\r", "").partition("--- request\n")
        return screen, request, (time.monotonic() - started) * 20

    failures = []
    with open(os.path.join(HERE, "http_rows.json"), encoding="utf-8") as file:
        table = json.load(file)
    for row in table["rows"]:
        server.row = row
        screen, request, seconds = run()
        want = row.get("screen", "forecast")
        ok = screen == expected if want == "forecast" else want in screen.split("\n")
        if not ok or seconds >= 65:  # the forecast's fetch within its deadline, in the board's time
            failures.append("%s (after %.0f s): the screen shows\n%s" % (row["what"], seconds, screen))
    for document in widest(server.forecast, codes_path):
        server.row = {"what": "every weather code", "body": document}
        screen, _, _ = run()
        if fits(screen) or screen.split("\n")[1] != "2024-01-11T11:00 東京":
            failures.append("a screen of the widest texts does not fit:\n" + screen)
    # A forecast, then nothing newer (asked with its Last-Modified), then a failure: the forecast
    # stays on the screen, with what went wrong and its age; the board's clock 300 times as fast.
    server.row = list(table["recovery"])
    screen, request, _ = run(PARCELO_FETCHES="3", PARCELO_CLOCK_SCALE="300")
    lines = screen.split("\n")
    if lines[1] != "2024-01-11T11:00 東京" or not re.fullmatch(r"! cut off, 3[01]分前の予報", lines[-3]):
        failures.append("after a forecast, nothing newer and a cut body, the screen shows\n" + screen)
    if request.count("If-Modified-Since: Thu, 11 Jan 2024 02:00:00 GMT\n") != 2:
        failures.append("the requests after the first forecast:\n" + request)
    server.row = table["rows"][0]
    for clock in table["clocks"]:
        screen, request, _ = run(clock["now"])
        if "|".join(screen.split("\n")[2:len(clock["days"].split("|")) + 2]) != clock["days"]:
            failures.append("at %s the screen shows\n%s" % (clock["now"], screen))
    for row in table["warnings"]:
        server.warnings = {"body": warnings_for_shinjuku(os.path.join(warning_folder, row["file"]))}
        screen, _, _ = run(row["now"])
        if screen.split("\n")[0] != row["line"]:
            failures.append("%s: the screen shows\n%s" % (row["what"], screen))
    want = "GET /bosai/forecast/data/forecast/130000.json HTTP/1.1\nHost: www.jma.go.jp\n"
    if want not in request:
        failures.append("the request: " + request)
    os.remove(town)
    screen, request, _ = run()
    if not screen.startswith("Town: no such file on the card\n") or request:
        failures.append("without town.json the screen shows\n%s" % screen)
    for failure in failures:
        print("FAILED: " + failure)
    print("https: %d rows, %d clocks, %d of warnings, %d failed" % (
        len(table["rows"]), len(table["clocks"]), len(table["warnings"]), len(failures)))
    return 1 if failures else 0


def main():
    if sys.argv[1] == "widest":
        with open(sys.argv[2], encoding="utf-8") as file:
            documents = widest(file.read(), sys.argv[3])
        with open(sys.argv[4], "w", encoding="utf-8") as file:
            json.dump(documents, file, ensure_ascii=False)
        return 0
    if sys.argv[1] == "events":
        with open(sys.argv[2], "rb") as file:
            forecast = file.read()
        with open(os.path.join(HERE, "http_rows.json"), encoding="utf-8") as file:
            table = json.load(file)
        folder = os.path.join(os.path.dirname(os.path.dirname(sys.argv[2])), "warning")
        table["warnings"] = [dict(row, body=warnings_for_shinjuku(os.path.join(folder, row["file"])))
                             for row in table["warnings"]]
        out = {kind: [{"row": row, "sent": [[p, base64.b64encode(d).decode()] for p, d in sent],
                       "close": close}
                      for row in table[kind] for sent, close in [events(row, forecast)]]
               for kind in ("rows", "recovery", "warnings")}
        with open(sys.argv[3], "w", encoding="utf-8") as file:
            json.dump(out, file)
        return 0
    return arduino(*sys.argv[2:7])


if __name__ == "__main__":
    sys.exit(main())
