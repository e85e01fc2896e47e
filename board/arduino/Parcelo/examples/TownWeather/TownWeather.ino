// The weather of one town on an M5Stack: today and tomorrow (weather, chance of rain,
// temperatures) and the week, from the agency's forecast, fetched over HTTPS with its certificate
// checked and read as it streams. It fetches again after the agency's issues at 05, 11 and 17 JST.
// Needs M5Unified. Edit the four lines below: your Wi-Fi, and your town's office and area as the
// ChooseYourTown example shows them (新宿区: office 130000, area 130010).
#include <M5Unified.h>
#include <ParceloForecast.h>
#include <WiFi.h>
#include <WiFiClientSecure.h>

const char kWifiName[] = "your-network";
const char kWifiPassword[] = "your-password";
const char kOffice[] = "130000";  // 東京都
const char kArea[] = "130010";    // 東京地方

// The roots the agency's site may chain to, from Debian's ca-certificates (check which one it
// uses: openssl s_client -connect www.jma.go.jp:443 -showcerts). The earliest expires 2029-03-18.
const char kRootCertificates[] PROGMEM =
// GlobalSign Root CA - R3, valid until 2029-03-18
"-----BEGIN CERTIFICATE-----\n"
"MIIDXzCCAkegAwIBAgILBAAAAAABIVhTCKIwDQYJKoZIhvcNAQELBQAwTDEgMB4G\n"
"A1UECxMXR2xvYmFsU2lnbiBSb290IENBIC0gUjMxEzARBgNVBAoTCkdsb2JhbFNp\n"
"Z24xEzARBgNVBAMTCkdsb2JhbFNpZ24wHhcNMDkwMzE4MTAwMDAwWhcNMjkwMzE4\n"
"MTAwMDAwWjBMMSAwHgYDVQQLExdHbG9iYWxTaWduIFJvb3QgQ0EgLSBSMzETMBEG\n"
"A1UEChMKR2xvYmFsU2lnbjETMBEGA1UEAxMKR2xvYmFsU2lnbjCCASIwDQYJKoZI\n"
"hvcNAQEBBQADggEPADCCAQoCggEBAMwldpB5BngiFvXAg7aEyiie/QV2EcWtiHL8\n"
"RgJDx7KKnQRfJMsuS+FggkbhUqsMgUdwbN1k0ev1LKMPgj0MK66X17YUhhB5uzsT\n"
"gHeMCOFJ0mpiLx9e+pZo34knlTifBtc+ycsmWQ1z3rDI6SYOgxXG71uL0gRgykmm\n"
"KPZpO/bLyCiR5Z2KYVc3rHQU3HTgOu5yLy6c+9C7v/U9AOEGM+iCK65TpjoWc4zd\n"
"QQ4gOsC0p6Hpsk+QLjJg6VfLuQSSaGjlOCZgdbKfd/+RFO+uIEn8rUAVSNECMWEZ\n"
"XriX7613t2Saer9fwRPvm2L7DWzgVGkWqQPabumDk3F2xmmFghcCAwEAAaNCMEAw\n"
"DgYDVR0PAQH/BAQDAgEGMA8GA1UdEwEB/wQFMAMBAf8wHQYDVR0OBBYEFI/wS3+o\n"
"LkUkrk1Q+mOai97i3Ru8MA0GCSqGSIb3DQEBCwUAA4IBAQBLQNvAUKr+yAzv95ZU\n"
"RUm7lgAJQayzE4aGKAczymvmdLm6AC2upArT9fHxD4q/c2dKg8dEe3jgr25sbwMp\n"
"jjM5RcOO5LlXbKr8EpbsU8Yt5CRsuZRj+9xTaGdWPoO4zzUhw8lo/s7awlOqzJCK\n"
"6fBdRoyV3XpYKBovHd7NADdBj+1EbddTKJd+82cEHhXXipa0095MJ6RMG3NzdvQX\n"
"mcIfeg7jLQitChws/zyrVQ4PkX4268NXSb7hLi18YIvDQVETI53O9zJrlAGomecs\n"
"Mx86OyXShkDOOyyGeMlhLxS67ttVb9+E7gUJTb0o2HLO02JQZR7rkpeDMdmztcpH\n"
"WD9f\n"
"-----END CERTIFICATE-----\n"
// DigiCert Global Root G2, valid until 2038-01-15
"-----BEGIN CERTIFICATE-----\n"
"MIIDjjCCAnagAwIBAgIQAzrx5qcRqaC7KGSxHQn65TANBgkqhkiG9w0BAQsFADBh\n"
"MQswCQYDVQQGEwJVUzEVMBMGA1UEChMMRGlnaUNlcnQgSW5jMRkwFwYDVQQLExB3\n"
"d3cuZGlnaWNlcnQuY29tMSAwHgYDVQQDExdEaWdpQ2VydCBHbG9iYWwgUm9vdCBH\n"
"MjAeFw0xMzA4MDExMjAwMDBaFw0zODAxMTUxMjAwMDBaMGExCzAJBgNVBAYTAlVT\n"
"MRUwEwYDVQQKEwxEaWdpQ2VydCBJbmMxGTAXBgNVBAsTEHd3dy5kaWdpY2VydC5j\n"
"b20xIDAeBgNVBAMTF0RpZ2lDZXJ0IEdsb2JhbCBSb290IEcyMIIBIjANBgkqhkiG\n"
"9w0BAQEFAAOCAQ8AMIIBCgKCAQEAuzfNNNx7a8myaJCtSnX/RrohCgiN9RlUyfuI\n"
"2/Ou8jqJkTx65qsGGmvPrC3oXgkkRLpimn7Wo6h+4FR1IAWsULecYxpsMNzaHxmx\n"
"1x7e/dfgy5SDN67sH0NO3Xss0r0upS/kqbitOtSZpLYl6ZtrAGCSYP9PIUkY92eQ\n"
"q2EGnI/yuum06ZIya7XzV+hdG82MHauVBJVJ8zUtluNJbd134/tJS7SsVQepj5Wz\n"
"tCO7TG1F8PapspUwtP1MVYwnSlcUfIKdzXOS0xZKBgyMUNGPHgm+F6HmIcr9g+UQ\n"
"vIOlCsRnKPZzFBQ9RnbDhxSJITRNrw9FDKZJobq7nMWxM4MphQIDAQABo0IwQDAP\n"
"BgNVHRMBAf8EBTADAQH/MA4GA1UdDwEB/wQEAwIBhjAdBgNVHQ4EFgQUTiJUIBiV\n"
"5uNu5g/6+rkS7QYXjzkwDQYJKoZIhvcNAQELBQADggEBAGBnKJRvDkhj6zHd6mcY\n"
"1Yl9PMWLSn/pvtsrF9+wX3N3KjITOYFnQoQj8kVnNeyIv/iPsGEMNKSuIEyExtv4\n"
"NeF22d+mQrvHRAiGfzZ0JFrabA0UWTW98kndth/Jsw1HKj2ZL7tcu7XUIOGZX1NG\n"
"Fdtom/DzMNU+MeKNhJ7jitralj41E6Vf8PlwUHBHQRFXGU7Aj64GxJUTFy8bJZ91\n"
"8rGOmaFvE7FBcf6IKshPECBV1/MUReXgRPTqh5Uykw7+U0b6LJ3/iyK5S9kJRaTe\n"
"pLiaWN0bfVKfjllDiIGknibVb63dDcY3fe0Dkhvld1927jyNxF1WW6LZZm6zNTfl\n"
"MrY=\n"
"-----END CERTIFICATE-----\n"
// Amazon Root CA 1, valid until 2038-01-17
"-----BEGIN CERTIFICATE-----\n"
"MIIDQTCCAimgAwIBAgITBmyfz5m/jAo54vB4ikPmljZbyjANBgkqhkiG9w0BAQsF\n"
"ADA5MQswCQYDVQQGEwJVUzEPMA0GA1UEChMGQW1hem9uMRkwFwYDVQQDExBBbWF6\n"
"b24gUm9vdCBDQSAxMB4XDTE1MDUyNjAwMDAwMFoXDTM4MDExNzAwMDAwMFowOTEL\n"
"MAkGA1UEBhMCVVMxDzANBgNVBAoTBkFtYXpvbjEZMBcGA1UEAxMQQW1hem9uIFJv\n"
"b3QgQ0EgMTCCASIwDQYJKoZIhvcNAQEBBQADggEPADCCAQoCggEBALJ4gHHKeNXj\n"
"ca9HgFB0fW7Y14h29Jlo91ghYPl0hAEvrAIthtOgQ3pOsqTQNroBvo3bSMgHFzZM\n"
"9O6II8c+6zf1tRn4SWiw3te5djgdYZ6k/oI2peVKVuRF4fn9tBb6dNqcmzU5L/qw\n"
"IFAGbHrQgLKm+a/sRxmPUDgH3KKHOVj4utWp+UhnMJbulHheb4mjUcAwhmahRWa6\n"
"VOujw5H5SNz/0egwLX0tdHA114gk957EWW67c4cX8jJGKLhD+rcdqsq08p8kDi1L\n"
"93FcXmn/6pUCyziKrlA4b9v7LWIbxcceVOF34GfID5yHI9Y/QCB/IIDEgEw+OyQm\n"
"jgSubJrIqg0CAwEAAaNCMEAwDwYDVR0TAQH/BAUwAwEB/zAOBgNVHQ8BAf8EBAMC\n"
"AYYwHQYDVR0OBBYEFIQYzIU07LwMlJQuCFmcx7IQTgoIMA0GCSqGSIb3DQEBCwUA\n"
"A4IBAQCY8jdaQZChGsV2USggNiMOruYou6r4lK5IpDB/G/wkjUu0yKGX9rbxenDI\n"
"U5PMCCjjmCXPI6T53iHTfIUJrU6adTrCC2qJeHZERxhlbI1Bjjt/msv0tadQ1wUs\n"
"N+gDS63pYaACbvXy8MWy7Vu33PqUXHeeE6V/Uq2V8viTO96LXFvKWlJbYK8U90vv\n"
"o/ufQJVtMVT8QtPHRh8jrdkPSHCa2XV4cdFyQzR1bldZwgJcJmApzyMZFo6IQ6XU\n"
"5MsI+yMRQ+hDKXJioaldXgjUkK642M4UwtBV8ob2xJNDd2ZhwLnoQdeXeGADbkpy\n"
"rqXRfboQnoZsG4q5WTP468SQvvG5\n"
"-----END CERTIFICATE-----\n"
;

parcelo::Forecast forecast;  // 2.8 KB, kept off the stack
int fetchedAt = -1;          // the agency's issue (5, 11 or 17) last fetched, -1 before the first

// Fetches the office's forecast and reads it into `forecast`; the text of what went wrong, or
// nullptr.
const char* fetch() {
  WiFiClientSecure client;
  client.setCACert(kRootCertificates);
  client.setTimeout(10000);
  if (!client.connect("www.jma.go.jp", 443)) return "cannot reach www.jma.go.jp";
  // HTTP/1.0: the body comes as it is, never in chunks, and the connection closes after it.
  client.printf("GET /bosai/forecast/data/forecast/%s.json HTTP/1.0\r\n",
                parcelo::forecastOffice(kOffice));
  client.print("Host: www.jma.go.jp\r\nUser-Agent: Parcelo\r\n\r\n");
  char line[128];
  size_t length = client.readBytesUntil('\n', line, sizeof line - 1);
  line[length] = '\0';
  if (strstr(line, " 200 ") == nullptr) return "the agency's site did not answer 200";
  while (client.readBytesUntil('\n', line, sizeof line) > 1) {
  }  // the headers, up to the empty line
  // The body as it comes, waiting up to 10 s for each byte.
  parcelo::Error error = parcelo::readForecast(client, kArea, forecast, 10000);
  client.stop();
  return error ? error.c_str() : nullptr;
}

// The agency leaves some values empty: "no value", shown as a dash.
const char* shown(const char* value) { return value[0] != '\0' ? value : "-"; }

void showDay(const char* name, uint8_t time, const char* low, const char* high) {
  if (time >= forecast.timeCount) return;
  parcelo::WeatherCodeText text;
  parcelo::weatherCodeText(forecast.times[time].weatherCode, text);
  M5.Display.printf("%s %s\n", name, text.japanese);
  M5.Display.printf("  %s / %s ℃\n", shown(low), shown(high));
}

void draw(const char* problem) {
  M5.Display.clear();
  M5.Display.setCursor(0, 0);
  if (problem != nullptr) {
    M5.Display.printf("Error: %s\n", problem);
    return;
  }
  M5.Display.printf("%.16s %s\n", forecast.reportDatetime, forecast.stationName);
  showDay("今日", 0, "", forecast.todayMax);  // the agency gives no lowest for today
  showDay("明日", 1, forecast.tomorrowMin, forecast.tomorrowMax);
  M5.Display.print("降水確率");
  for (uint8_t i = 0; i < forecast.popCount; i++) M5.Display.printf(" %s", forecast.pops[i].pop);
  M5.Display.println("%");
  for (uint8_t i = 0; i < forecast.dayCount && forecast.weekArea[0] != '\0'; i++) {
    const parcelo::ForecastDay& day = forecast.days[i];
    parcelo::WeatherCodeText text;
    parcelo::weatherCodeText(day.weatherCode, text);
    M5.Display.printf("%.5s %s %s%% %s/%s\n", day.date + 5, text.japanese, shown(day.pop),
                      shown(day.min), shown(day.max));
  }
  M5.Display.println("出典：気象庁ホームページ");
}

// The agency's last issue (5, 11 or 17) before now, in Japan's time; -1 before the clock is set.
int lastIssue() {
  struct tm now;
  if (!getLocalTime(&now, 0)) return -1;
  // A few minutes after the hour, when the new forecast is there.
  int minutes = now.tm_hour * 60 + now.tm_min;
  if (minutes >= 17 * 60 + 10) return 17;
  if (minutes >= 11 * 60 + 10) return 11;
  return minutes >= 5 * 60 + 10 ? 5 : 17;  // before 05:10, yesterday's 17
}

void setup() {
  M5.begin();
  M5.Display.setFont(&fonts::lgfxJapanGothic_16);
  M5.Display.println("Wi-Fi...");
  WiFi.begin(kWifiName, kWifiPassword);
  while (WiFi.status() != WL_CONNECTED) delay(200);
  configTime(9 * 3600, 0, "ntp.nict.jp", "pool.ntp.org");  // Japan's time, JST
  fetchedAt = lastIssue();
  draw(fetch());
}

void loop() {
  int issue = lastIssue();
  if (issue != fetchedAt) {
    fetchedAt = issue;
    draw(fetch());
  }
  delay(60 * 1000);
}
