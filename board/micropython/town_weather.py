# The weather of one town on the screen (UIFlow 2): today and tomorrow (weather, chance of rain,
# temperatures) and the week, from the agency's forecast, fetched over HTTPS with its certificate
# checked and read as it streams. It fetches again after the agency's issues at 05, 11 and 17 JST.
# parcelo.py, parcelo_forecast.py and parcelo_tables.py lie beside this file. Edit the four lines
# below: your Wi-Fi, and your town's office and area as choose_your_town.py shows them.
import time

import M5
import parcelo
import parcelo_forecast

WIFI_NAME = "your-network"
WIFI_PASSWORD = "your-password"
OFFICE = "130000"  # 東京都
AREA = "130010"  # 東京地方

HOST = "www.jma.go.jp"
# The roots the agency's site may chain to, from Debian's ca-certificates, each the base64 of its
# DER form (check which one it uses: openssl s_client -connect www.jma.go.jp:443 -showcerts).
# The earliest expires 2029-03-18.
ROOTS = (
    # GlobalSign Root CA - R3, valid until 2029-03-18
    "MIIDXzCCAkegAwIBAgILBAAAAAABIVhTCKIwDQYJKoZIhvcNAQELBQAwTDEgMB4GA1UECxMXR2xv"
    "YmFsU2lnbiBSb290IENBIC0gUjMxEzARBgNVBAoTCkdsb2JhbFNpZ24xEzARBgNVBAMTCkdsb2Jh"
    "bFNpZ24wHhcNMDkwMzE4MTAwMDAwWhcNMjkwMzE4MTAwMDAwWjBMMSAwHgYDVQQLExdHbG9iYWxT"
    "aWduIFJvb3QgQ0EgLSBSMzETMBEGA1UEChMKR2xvYmFsU2lnbjETMBEGA1UEAxMKR2xvYmFsU2ln"
    "bjCCASIwDQYJKoZIhvcNAQEBBQADggEPADCCAQoCggEBAMwldpB5BngiFvXAg7aEyiie/QV2EcWt"
    "iHL8RgJDx7KKnQRfJMsuS+FggkbhUqsMgUdwbN1k0ev1LKMPgj0MK66X17YUhhB5uzsTgHeMCOFJ"
    "0mpiLx9e+pZo34knlTifBtc+ycsmWQ1z3rDI6SYOgxXG71uL0gRgykmmKPZpO/bLyCiR5Z2KYVc3"
    "rHQU3HTgOu5yLy6c+9C7v/U9AOEGM+iCK65TpjoWc4zdQQ4gOsC0p6Hpsk+QLjJg6VfLuQSSaGjl"
    "OCZgdbKfd/+RFO+uIEn8rUAVSNECMWEZXriX7613t2Saer9fwRPvm2L7DWzgVGkWqQPabumDk3F2"
    "xmmFghcCAwEAAaNCMEAwDgYDVR0PAQH/BAQDAgEGMA8GA1UdEwEB/wQFMAMBAf8wHQYDVR0OBBYE"
    "FI/wS3+oLkUkrk1Q+mOai97i3Ru8MA0GCSqGSIb3DQEBCwUAA4IBAQBLQNvAUKr+yAzv95ZURUm7"
    "lgAJQayzE4aGKAczymvmdLm6AC2upArT9fHxD4q/c2dKg8dEe3jgr25sbwMpjjM5RcOO5LlXbKr8"
    "EpbsU8Yt5CRsuZRj+9xTaGdWPoO4zzUhw8lo/s7awlOqzJCK6fBdRoyV3XpYKBovHd7NADdBj+1E"
    "bddTKJd+82cEHhXXipa0095MJ6RMG3NzdvQXmcIfeg7jLQitChws/zyrVQ4PkX4268NXSb7hLi18"
    "YIvDQVETI53O9zJrlAGomecsMx86OyXShkDOOyyGeMlhLxS67ttVb9+E7gUJTb0o2HLO02JQZR7r"
    "kpeDMdmztcpHWD9f"
    ,
    # DigiCert Global Root G2, valid until 2038-01-15
    "MIIDjjCCAnagAwIBAgIQAzrx5qcRqaC7KGSxHQn65TANBgkqhkiG9w0BAQsFADBhMQswCQYDVQQG"
    "EwJVUzEVMBMGA1UEChMMRGlnaUNlcnQgSW5jMRkwFwYDVQQLExB3d3cuZGlnaWNlcnQuY29tMSAw"
    "HgYDVQQDExdEaWdpQ2VydCBHbG9iYWwgUm9vdCBHMjAeFw0xMzA4MDExMjAwMDBaFw0zODAxMTUx"
    "MjAwMDBaMGExCzAJBgNVBAYTAlVTMRUwEwYDVQQKEwxEaWdpQ2VydCBJbmMxGTAXBgNVBAsTEHd3"
    "dy5kaWdpY2VydC5jb20xIDAeBgNVBAMTF0RpZ2lDZXJ0IEdsb2JhbCBSb290IEcyMIIBIjANBgkq"
    "hkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEAuzfNNNx7a8myaJCtSnX/RrohCgiN9RlUyfuI2/Ou8jqJ"
    "kTx65qsGGmvPrC3oXgkkRLpimn7Wo6h+4FR1IAWsULecYxpsMNzaHxmx1x7e/dfgy5SDN67sH0NO"
    "3Xss0r0upS/kqbitOtSZpLYl6ZtrAGCSYP9PIUkY92eQq2EGnI/yuum06ZIya7XzV+hdG82MHauV"
    "BJVJ8zUtluNJbd134/tJS7SsVQepj5WztCO7TG1F8PapspUwtP1MVYwnSlcUfIKdzXOS0xZKBgyM"
    "UNGPHgm+F6HmIcr9g+UQvIOlCsRnKPZzFBQ9RnbDhxSJITRNrw9FDKZJobq7nMWxM4MphQIDAQAB"
    "o0IwQDAPBgNVHRMBAf8EBTADAQH/MA4GA1UdDwEB/wQEAwIBhjAdBgNVHQ4EFgQUTiJUIBiV5uNu"
    "5g/6+rkS7QYXjzkwDQYJKoZIhvcNAQELBQADggEBAGBnKJRvDkhj6zHd6mcY1Yl9PMWLSn/pvtsr"
    "F9+wX3N3KjITOYFnQoQj8kVnNeyIv/iPsGEMNKSuIEyExtv4NeF22d+mQrvHRAiGfzZ0JFrabA0U"
    "WTW98kndth/Jsw1HKj2ZL7tcu7XUIOGZX1NGFdtom/DzMNU+MeKNhJ7jitralj41E6Vf8PlwUHBH"
    "QRFXGU7Aj64GxJUTFy8bJZ918rGOmaFvE7FBcf6IKshPECBV1/MUReXgRPTqh5Uykw7+U0b6LJ3/"
    "iyK5S9kJRaTepLiaWN0bfVKfjllDiIGknibVb63dDcY3fe0Dkhvld1927jyNxF1WW6LZZm6zNTfl"
    "MrY="
    ,
    # Amazon Root CA 1, valid until 2038-01-17
    "MIIDQTCCAimgAwIBAgITBmyfz5m/jAo54vB4ikPmljZbyjANBgkqhkiG9w0BAQsFADA5MQswCQYD"
    "VQQGEwJVUzEPMA0GA1UEChMGQW1hem9uMRkwFwYDVQQDExBBbWF6b24gUm9vdCBDQSAxMB4XDTE1"
    "MDUyNjAwMDAwMFoXDTM4MDExNzAwMDAwMFowOTELMAkGA1UEBhMCVVMxDzANBgNVBAoTBkFtYXpv"
    "bjEZMBcGA1UEAxMQQW1hem9uIFJvb3QgQ0EgMTCCASIwDQYJKoZIhvcNAQEBBQADggEPADCCAQoC"
    "ggEBALJ4gHHKeNXjca9HgFB0fW7Y14h29Jlo91ghYPl0hAEvrAIthtOgQ3pOsqTQNroBvo3bSMgH"
    "FzZM9O6II8c+6zf1tRn4SWiw3te5djgdYZ6k/oI2peVKVuRF4fn9tBb6dNqcmzU5L/qwIFAGbHrQ"
    "gLKm+a/sRxmPUDgH3KKHOVj4utWp+UhnMJbulHheb4mjUcAwhmahRWa6VOujw5H5SNz/0egwLX0t"
    "dHA114gk957EWW67c4cX8jJGKLhD+rcdqsq08p8kDi1L93FcXmn/6pUCyziKrlA4b9v7LWIbxcce"
    "VOF34GfID5yHI9Y/QCB/IIDEgEw+OyQmjgSubJrIqg0CAwEAAaNCMEAwDwYDVR0TAQH/BAUwAwEB"
    "/zAOBgNVHQ8BAf8EBAMCAYYwHQYDVR0OBBYEFIQYzIU07LwMlJQuCFmcx7IQTgoIMA0GCSqGSIb3"
    "DQEBCwUAA4IBAQCY8jdaQZChGsV2USggNiMOruYou6r4lK5IpDB/G/wkjUu0yKGX9rbxenDIU5PM"
    "CCjjmCXPI6T53iHTfIUJrU6adTrCC2qJeHZERxhlbI1Bjjt/msv0tadQ1wUsN+gDS63pYaACbvXy"
    "8MWy7Vu33PqUXHeeE6V/Uq2V8viTO96LXFvKWlJbYK8U90vvo/ufQJVtMVT8QtPHRh8jrdkPSHCa"
    "2XV4cdFyQzR1bldZwgJcJmApzyMZFo6IQ6XU5MsI+yMRQ+hDKXJioaldXgjUkK642M4UwtBV8ob2"
    "xJNDd2ZhwLnoQdeXeGADbkpyrqXRfboQnoZsG4q5WTP468SQvvG5"
    ,
)


def fetch():
    """The office's forecast for AREA, read as it comes over HTTPS."""
    import binascii
    import socket
    import ssl

    context = ssl.SSLContext(ssl.PROTOCOL_TLS_CLIENT)
    context.verify_mode = ssl.CERT_REQUIRED
    for root in ROOTS:
        context.load_verify_locations(cadata=binascii.a2b_base64(root))
    sock = socket.socket()
    sock.settimeout(10)
    sock.connect(socket.getaddrinfo(HOST, 443)[0][-1])
    stream = context.wrap_socket(sock, server_hostname=HOST)
    try:
        # HTTP/1.0: the body comes as it is, never in chunks, and the connection closes after it.
        office = parcelo_forecast.forecast_office(OFFICE)
        request = "GET /bosai/forecast/data/forecast/{}.json HTTP/1.0\r\nHost: {}\r\n" \
                  "User-Agent: Parcelo\r\n\r\n".format(office, HOST)
        stream.write(request.encode())
        if b" 200 " not in stream.readline():
            raise parcelo.Error("the agency's site did not answer 200")
        while stream.readline() not in (b"\r\n", b"\n", b""):
            pass  # the headers, up to the empty line
        return parcelo_forecast.read_forecast(stream, AREA, 10000)
    finally:
        stream.close()


def shown(value):
    # The agency leaves some values empty: "no value", shown as a dash.
    return value or "-"


def lines(forecast):
    """What the screen shows, line by line."""
    out = ["{} {}".format(forecast["reportDatetime"][:16], forecast["temps"]["name"])]
    temps = forecast["temps"]
    for name, index, low, high in (("今日", 0, "", temps["todayMax"]),
                                   ("明日", 1, temps["tomorrowMin"], temps["tomorrowMax"])):
        if index < len(forecast["days"]):
            text = parcelo_forecast.weather_code_text(forecast["days"][index]["weatherCode"])
            out += ["{} {}".format(name, text[0]), "  {} / {} ℃".format(shown(low), shown(high))]
    out.append("降水確率" + "".join(" " + pop["pop"] for pop in forecast["pops"]) + "%")
    for day in forecast["week"]["days"]:
        text = parcelo_forecast.weather_code_text(day["weatherCode"])[0]
        out.append("{} {} {}% {}/{}".format(day["date"][5:10], text, shown(day["pop"]),
                                            shown(day["min"]), shown(day["max"])))
    out.append("出典：気象庁ホームページ")
    return out


def show(text_lines):
    M5.Lcd.clear()
    M5.Lcd.setCursor(0, 0)
    for line in text_lines:
        M5.Lcd.print(line + "\n")


def last_issue():
    """The agency's last issue (5, 11 or 17) before now, in Japan's time."""
    now = time.localtime(time.time() + 9 * 3600)  # the board's clock keeps UTC
    minutes = now[3] * 60 + now[4]
    if minutes >= 17 * 60 + 10:
        return 17
    if minutes >= 11 * 60 + 10:
        return 11
    return 5 if minutes >= 5 * 60 + 10 else 17  # before 05:10, yesterday's 17


def main():
    import network
    import ntptime

    M5.begin()
    M5.Lcd.setFont(M5.Lcd.FONTS.EFontJA24)
    wlan = network.WLAN(network.STA_IF)
    wlan.active(True)
    wlan.connect(WIFI_NAME, WIFI_PASSWORD)
    while not wlan.isconnected():
        time.sleep(0.2)
    ntptime.settime()
    fetched = None
    while True:
        if last_issue() != fetched:
            fetched = last_issue()
            try:
                show(lines(fetch()))
            except (parcelo.Error, OSError) as error:
                show(["Error: {}".format(getattr(error, "kind", error))])
        time.sleep(60)


if __name__ == "__main__":
    main()
