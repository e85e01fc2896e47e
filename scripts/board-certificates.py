"""Writes the roots the board's examples trust for www.jma.go.jp, from Debian's ca-certificates.

Usage: python3 scripts/board-certificates.py [--check] [OUT]

Writes board/arduino/Parcelo/src/ParceloCertificates.h and board/micropython/
parcelo_certificates.py, or both into the folder OUT. With --check, also fails where a root is
no longer in Debian's store or expires within two years: time to renew the set (the guides say
how).

The agency's site has been seen to chain to SECOM's Security Communication RootCA2 (from
December 2023 on) and to DigiCert Global Root CA (2021-2022); DigiCert Global Root G2 is
DigiCert's successor to the latter. A root that is none of the chain's fails the handshake:
"certificate not trusted" on the screen, never a crash.
"""
import base64
import datetime
import os
import ssl
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
STORE = "/usr/share/ca-certificates/mozilla"
ROOTS = ("Security Communication RootCA2", "DigiCert Global Root CA", "DigiCert Global Root G2")
WARNING_DAYS = 2 * 365


def load(name):
    """(PEM text, DER bytes, expiry date) of the root `name` in Debian's store."""
    path = os.path.join(STORE, name.replace(" ", "_") + ".crt")
    with open(path, encoding="ascii") as file:
        pem = file.read().strip() + "\n"
    end = subprocess.run(["openssl", "x509", "-noout", "-enddate"], input=pem.encode(),
                         capture_output=True, check=True).stdout.decode().strip()
    expiry = datetime.datetime.strptime(end.split("=", 1)[1], "%b %d %H:%M:%S %Y %Z").date()
    return pem, ssl.PEM_cert_to_DER_cert(pem), expiry


def arduino(roots):
    out = ["// clang-format off",
           "// The roots that www.jma.go.jp may chain to, from Debian's ca-certificates.",
           "// Written by scripts/board-certificates.py: run it again, never edit this file.",
           "// The first to expire: {} ({}).".format(*min(((r[3], r[0]) for r in roots))),
           "#pragma once", "", "#include <Arduino.h>", "",
           "namespace parcelo {", "", "const char kAgencyRoots[] PROGMEM ="]
    for name, pem, _, expiry in roots:
        out.append("    // {}, valid until {}".format(name, expiry))
        out += ['    "{}\\n"'.format(line) for line in pem.splitlines()]
    out[-1] += ";"
    return "\n".join(out + ["", "}  // namespace parcelo", ""])


def micropython(roots):
    out = ["# The roots that www.jma.go.jp may chain to, from Debian's ca-certificates, each the",
           "# base64 of its DER form. Written by scripts/board-certificates.py: run it again,",
           "# never edit this file. The first to expire: {} ({}).".format(
               *min(((r[3], r[0]) for r in roots))),
           "ROOTS = ("]
    for name, _, der, expiry in roots:
        text = base64.b64encode(der).decode()
        out.append("    # {}, valid until {}".format(name, expiry))
        out += ['    b"{}"'.format(text[i:i + 88]) for i in range(0, len(text), 88)]
        out.append("    ,")
    return "\n".join(out + [")", ""])


def main():
    args = sys.argv[1:]
    check = "--check" in args
    args = [a for a in args if a != "--check"]
    roots = []
    problems = []
    for name in ROOTS:
        try:
            pem, der, expiry = load(name)
        except (OSError, subprocess.CalledProcessError) as error:
            problems.append("{} is no longer in Debian's store ({})".format(name, error))
            continue
        roots.append((name, pem, der, expiry))
        days = (expiry - datetime.date.today()).days
        if days < WARNING_DAYS:
            problems.append("{} expires on {}, in {} days: renew the set".format(name, expiry, days))
    if problems and check:
        print("\n".join("FAILED: " + p for p in problems))
        return 1
    files = {os.path.join(ROOT, "board/arduino/Parcelo/src/ParceloCertificates.h"): arduino(roots),
             os.path.join(ROOT, "board/micropython/parcelo_certificates.py"): micropython(roots)}
    for path, text in files.items():
        target = os.path.join(args[0], os.path.basename(path)) if args else path
        with open(target, "w", encoding="utf-8") as file:
            file.write(text)
    for name, _, _, expiry in roots:
        print("{}: valid until {}".format(name, expiry))
    return 0


if __name__ == "__main__":
    sys.exit(main())
