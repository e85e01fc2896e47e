# One HTTP GET over a connected stream (a TLS socket), read as servers really answer, the same
# as the Arduino library's HttpGet: HTTP/1.0 or 1.1, any reason phrase or none, CR LF or LF
# alone, header lines of any length (skipped, never held), a body with a Content-Length, in
# chunks, or up to the close. One deadline bounds the whole fetch. Copy this file onto the board
# beside parcelo.py.
#
#   response = parcelo_http.get(stream, "www.jma.go.jp", "/bosai/forecast/data/forecast/130000.json")
#   if response.status == 200:
#       forecast = parcelo_forecast.read_forecast(response, "130010")
#
# Every failure raises parcelo.Error, whose `kind` is the text to show.
import time

import parcelo

NOT_TRUSTED = "certificate not trusted"
NO_CONNECTION = "cannot reach the server"
HTTP_STATUS = "the server answered"
MOVED = "moved to another address"
COMPRESSED = "compressed: cannot read"
NOT_HTTP = "not an HTTP answer"
CUT_OFF = "cut off"
TIMED_OUT = "timed out"

DEADLINE_MS = 60000  # for the whole fetch
# What a socket's own timeout raises (lwIP's ETIMEDOUT, Linux's, EAGAIN): the deadline decides.
_WAIT = (11, 110, 116)


def get(stream, host, path, if_modified_since="", deadline_ms=DEADLINE_MS, started=None):
    """Sends the request and reads the answer up to its body: a Response whose read(n) gives
    the body, for 200 and 304 (no body). `started`: the ticks_ms() the deadline runs from (the
    connection's start), now by default."""
    response = Response(stream, deadline_ms, started)
    # HTTP/1.1, so that a server may answer 304; the connection closes after the answer.
    request = "GET {} HTTP/1.1\r\nHost: {}\r\nUser-Agent: Parcelo\r\nAccept-Encoding: identity\r\n" \
              "Connection: close\r\n".format(path, host)
    if if_modified_since:
        request += "If-Modified-Since: {}\r\n".format(if_modified_since)
    stream.write((request + "\r\n").encode())
    response._read_head()
    return response


class Response:
    def __init__(self, stream, deadline_ms, started):
        self._stream = stream
        self._deadline = deadline_ms
        self._start = time.ticks_ms() if started is None else started
        self.status = 0
        self.last_modified = ""  # give it to the next request
        self._left = None  # bytes left in the body or its chunk; None: up to the close
        self._chunked = False
        self._chunk_seen = False
        self._ended = False

    def _byte(self):
        """The stream's next byte, waiting; b"" once the server has closed. A TLS stream closed
        without close_notify raises: read(n) would drop the bytes it had, so bytes come one
        at a time and none is lost."""
        while True:
            if time.ticks_diff(time.ticks_ms(), self._start) >= self._deadline:
                raise parcelo.Error(TIMED_OUT)
            try:
                data = self._stream.read(1)
            except OSError as error:
                if error.args and error.args[0] in _WAIT:
                    continue
                return b""
            if data is None:
                time.sleep_ms(1)
                continue
            return data

    def _line(self, keep=64):
        """A line without its end, as much of it as `keep`; CUT_OFF where the server closes."""
        kept = bytearray()
        while True:
            data = self._byte()
            if not data:
                raise parcelo.Error(CUT_OFF)
            if data == b"\n":
                return bytes(kept[:-1] if kept[-1:] == b"\r" else kept)
            if len(kept) < keep:
                kept += data

    def _read_head(self):
        first = self._line()
        encoded = False
        while True:
            line = self._line()
            if not line:
                break
            name, _, value = line.partition(b":")
            name, value = name.strip().lower(), value.strip().decode("latin-1")
            if name == b"content-length":
                self._left = int(value) if value.isdigit() else None
            elif name == b"transfer-encoding":
                self._chunked = value.lower() != "identity"
            elif name == b"content-encoding":
                encoded = value.lower() not in ("", "identity")
            elif name == b"last-modified":
                self.last_modified = value
        parts = first.split(b" ")
        status = parts[1] if len(parts) > 1 else b""
        if not first.startswith(b"HTTP/") or len(status) != 3 or not status.isdigit():
            raise parcelo.Error(NOT_HTTP)
        self.status = int(status)
        if self.status in (301, 302, 303, 307, 308):
            raise parcelo.Error("{} {}".format(MOVED, self.status))
        if self.status not in (200, 304):
            raise parcelo.Error("{} {}".format(HTTP_STATUS, self.status))
        if self.status == 200 and encoded:
            raise parcelo.Error(COMPRESSED)
        if self._chunked:
            self._left = 0

    def _next_chunk(self):
        if self._chunk_seen and self._line():
            raise parcelo.Error(CUT_OFF)  # no CR LF after the chunk before
        size = self._line().split(b";")[0].strip()
        self._chunk_seen = True
        try:
            self._left = int(size, 16)
        except ValueError:
            raise parcelo.Error(CUT_OFF)
        self._ended = self._left == 0

    def read(self, n=256):
        """Up to `n` bytes of the body; b"" at its end. CUT_OFF where the server closes before
        the body's length or its last chunk, TIMED_OUT past the deadline."""
        out = bytearray()
        while len(out) < n and not self._ended and self.status == 200:
            if self._chunked and self._left == 0:
                self._next_chunk()
                continue
            if self._left == 0:
                self._ended = True
                break
            data = self._byte()
            if not data:
                if self._left is not None:
                    raise parcelo.Error(CUT_OFF)
                self._ended = True
                break
            out += data
            if self._left is not None:
                self._left -= 1
        return bytes(out)
