# Stand-ins for MicroPython's socket and ssl, for the weather program's fetch: they replay the
# bytes the local HTTPS server sends for a row of http_rows.json (https_server.py events), with
# its pauses, as MicroPython's TLS stream gives them: read(n) waits for n bytes; past the
# socket's timeout it raises ETIMEDOUT (116, as lwIP numbers it); a close without close_notify
# raises, and drops what that read(n) had. The handshake trusts the chain of the rows' own root
# where the program loaded the pinned roots, and raises ValueError for the stranger's, as
# MicroPython's mbedTLS does.
import time

import parcelo_certificates

AF_INET, SOCK_STREAM = 2, 1
PROTOCOL_TLS_CLIENT, CERT_REQUIRED = 16, 2
row = None  # {"sent": [[pause, text]], "close": "notify" | "abrupt" | "hang", "row": {...}}
sent = b""  # what the program wrote


def getaddrinfo(host, port):
    return [(AF_INET, SOCK_STREAM, 0, "", (host, port))]


class socket:
    def __init__(self, *args):
        self.timeout = None

    def settimeout(self, seconds):
        self.timeout = seconds

    def connect(self, address):
        pass

    def close(self):
        pass


class SSLContext:
    def __init__(self, protocol):
        self.verify_mode, self.roots = 0, []

    def load_verify_locations(self, cadata):
        self.roots.append(cadata)

    def wrap_socket(self, sock, server_hostname=None):
        import binascii
        pinned = [binascii.a2b_base64(root) for root in parcelo_certificates.ROOTS]
        if self.verify_mode != CERT_REQUIRED or self.roots != pinned:
            raise OSError(-1, "not the pinned roots")
        if row["row"].get("root") == "stranger":
            raise ValueError("invalid cert")
        return _Stream(sock.timeout)


class _Stream:
    def __init__(self, timeout):
        global sent
        sent = b""
        self.timeout_ms = int((timeout or 60) * 1000)
        import binascii
        self.pieces = [[int(pause * 1000), binascii.a2b_base64(text.encode())]
                       for pause, text in row["sent"]]
        if row["close"] == "hang":
            self.pieces.append([4000, b""])
        self.since = time.ticks_ms()
        self.at = 0  # in the first piece

    def write(self, data):
        global sent
        sent += data
        return len(data)

    def read(self, n):
        out = b""
        while len(out) < n:
            if not self.pieces:
                if row["close"] == "abrupt":
                    raise OSError(-0x50)  # MBEDTLS_ERR_NET_CONN_RESET: `out` is dropped
                return out
            pause, data = self.pieces[0]
            waited = time.ticks_diff(time.ticks_ms(), self.since)
            if waited < pause and self.at == 0:
                time.sleep_ms(min(pause - waited, self.timeout_ms))
                if time.ticks_diff(time.ticks_ms(), self.since) < pause:
                    raise OSError(116)
                continue
            take = data[self.at:self.at + n - len(out)]
            out += take
            self.at += len(take)
            if self.at == len(data):
                self.pieces.pop(0)
                self.since, self.at = time.ticks_ms(), 0
        return out

    def close(self):
        pass
