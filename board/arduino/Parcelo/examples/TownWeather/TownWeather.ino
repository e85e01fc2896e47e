// The weather of one town on an M5Stack: its warnings and advisories, today and tomorrow
// (weather, chance of rain, temperatures) and the week, from the agency's documents, fetched over
// HTTPS with the certificate checked and read as they stream. It looks for new warnings every 5
// minutes and a new forecast every 30 (a request that costs a few hundred bytes when nothing is
// new); after a failure it keeps what it had on the screen and tries again after 1, 2, 5, 10,
// then every 30 minutes.
// The town is the one saved in /parcelo/town.json on the microSD card, by Parcelo's page or the
// ChooseYourTown example. Needs M5Unified. Edit the two lines below: your Wi-Fi.
#include <M5Unified.h>
#include <Parcelo.h>
#include <ParceloCertificates.h>
#include <ParceloForecast.h>
#include <ParceloHttp.h>
#include <ParceloWarning.h>
#include <SD.h>
#include <WiFi.h>
#include <WiFiClientSecure.h>
#include <stdarg.h>

const char kWifiName[] = "your-network";
const char kWifiPassword[] = "your-password";

const char kHost[] = "www.jma.go.jp";
const unsigned long kMinute = 60UL * 1000;
const unsigned long kRetryMinutes[] = {1, 2, 5, 10, 30};
const int kScreenWidth = 320;  // M5Stack Basic, Core2 and CoreS3; 15 lines of 16 px

const long kStaleDays = 7;  // warnings whose newest bulletin is older are not "none"

// One document the screen shows: when it was last good, when to ask again, what went wrong.
struct Document {
  unsigned long everyMs;
  bool have;
  char lastModified[32];  // of the copy on the screen, for the next request
  unsigned long fetchedAt;  // millis() of the last good answer
  unsigned long next;
  uint8_t failures;
  char problem[40];  // "" after a good answer
};
Document forecastDocument = {30 * kMinute, false, "", 0, 0, 0, ""};
Document warningsDocument = {5 * kMinute, false, "", 0, 0, 0, ""};

parcelo::Town town;          // from town.json
parcelo::Forecast forecast;  // 2.8 KB, kept off the stack: the one on the screen
parcelo::Forecast fresh;     // the one being read, so that a failure leaves the other
parcelo::Warnings warnings;  // 0.6 KB
parcelo::Warnings freshWarnings;

parcelo::Error readForecastBody(Stream& body) {
  return parcelo::readForecast(body, town.area, fresh);
}
parcelo::Error readWarningsBody(Stream& body) {
  return parcelo::readWarnings(body, town.city, town.area, freshWarnings);
}

// Fetches `path` for `document` with its Last-Modified, reading a new copy with `read`; false
// with the document's problem set where something went wrong, or where nothing is new.
bool fetch(Document& document, const char* path, parcelo::Error (*read)(Stream&)) {
  WiFiClientSecure client;
  client.setCACert(parcelo::kAgencyRoots);
  parcelo::HttpGet http(client);
  parcelo::Error error = parcelo::connectSecurely(client, kHost);
  if (!error) error = http.request(kHost, path, document.have ? document.lastModified : "");
  if (!error && http.status() == 200) error = read(http);
  error = http.finish(error);
  strcpy(document.problem, error ? http.text(error) : "");
  uint8_t retry = document.failures < 4 ? document.failures : 4;
  document.next = millis() + (error ? kRetryMinutes[retry] * kMinute : document.everyMs);
  document.failures = error ? retry + 1 : 0;
  if (error) return false;
  document.fetchedAt = millis();
  if (http.status() != 200) return false;
  document.have = true;
  strncpy(document.lastModified, http.lastModified(), sizeof document.lastModified - 1);
  return true;
}

// The agency leaves some values empty: "no value", shown as a dash.
const char* shown(const char* value) { return value[0] != '\0' ? value : "-"; }

// The width of a text in lgfxJapanGothic_16: 8 px for ASCII, 16 for the rest.
int widthOf(const char* text, size_t* fits = nullptr, int room = 0) {
  int width = 0;
  for (size_t i = 0; text[i] != '\0'; i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if ((c & 0xC0) == 0x80) continue;  // inside a character
    if (fits != nullptr && width + (c < 0x80 ? 8 : 16) <= room) *fits = i + 1;
    width += c < 0x80 ? 8 : 16;
  }
  return width;
}

// Prints a line, cut with "…" where it would be wider than the screen.
void line(const char* format, ...) {
  char text[200];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  size_t fits = 0;
  if (widthOf(text, &fits, kScreenWidth - 16) > kScreenWidth) {
    while ((static_cast<unsigned char>(text[fits]) & 0xC0) == 0x80) fits++;  // the whole character
    strcpy(text + fits, "…");
  }
  M5.Display.println(text);
}

// "今日", "明日" or "MM-DD" for a date ("2024-01-11..."), by the board's clock.
void dayName(const char* date, const struct tm* now, char (&out)[8]) {
  for (int ahead = 0; now != nullptr && ahead < 2; ahead++) {
    struct tm day = *now;
    day.tm_mday += ahead;
    day.tm_hour = 12;
    mktime(&day);
    char text[11];
    strftime(text, sizeof text, "%Y-%m-%d", &day);
    if (strncmp(date, text, 10) == 0) {
      strcpy(out, ahead == 0 ? "今日" : "明日");
      return;
    }
  }
  snprintf(out, sizeof out, "%.5s", date + 5);
}

void drawForecast(const struct tm* now) {
  char today[11] = "";
  if (now != nullptr) strftime(today, sizeof today, "%Y-%m-%d", now);
  line("%.16s %s", forecast.reportDatetime, forecast.stationName);
  // The first two days that are not past: a 17 JST forecast seen after midnight starts a day on.
  // The temperatures are the forecast's first day's highest, and its second day's.
  const char* lows[] = {"", forecast.tomorrowMin, ""};
  const char* highs[] = {forecast.todayMax, forecast.tomorrowMax, ""};
  uint8_t days = 0;
  for (uint8_t i = 0; i < forecast.timeCount && days < 2; i++) {
    if (strncmp(forecast.times[i].time, today, 10) < 0) continue;
    char name[8];
    dayName(forecast.times[i].time, now, name);
    parcelo::WeatherCodeText text;
    parcelo::weatherCodeText(forecast.times[i].weatherCode, text);
    line("%s %s", name, text.japanese);
    line("  %s / %s ℃", shown(lows[i]), shown(highs[i]));
    days++;
  }
  char pops[48] = "";
  for (uint8_t i = 0; i < forecast.popCount; i++) {
    if (strncmp(forecast.pops[i].time, today, 10) < 0) continue;
    snprintf(pops + strlen(pops), sizeof pops - strlen(pops), " %s", shown(forecast.pops[i].pop));
  }
  if (pops[0] != '\0') line("降水%s%%", pops);
  // Six days of the week, below the warnings' line: 15 lines in all.
  uint8_t weekDays = 0;
  for (uint8_t i = 0; i < forecast.dayCount && forecast.weekArea[0] != '\0' && weekDays < 6; i++) {
    const parcelo::ForecastDay& day = forecast.days[i];
    if (strncmp(day.date, today, 10) < 0) continue;
    weekDays++;
    parcelo::WeatherCodeText text;
    parcelo::weatherCodeText(day.weatherCode, text);
    line("%.5s %s %s%% %s/%s", day.date + 5, text.japanese, shown(day.pop), shown(day.min),
         shown(day.max));
  }
}

// Days between a bulletin's time ("2026-09-16T11:37...") and the board's clock.
long daysSince(const char* time, const struct tm* now) {
  struct tm then = tm();
  then.tm_year = atoi(time) - 1900;
  then.tm_mon = atoi(time + 5) - 1;
  then.tm_mday = atoi(time + 8);
  then.tm_hour = 12;
  struct tm today = *now;
  today.tm_hour = 12;
  today.tm_min = today.tm_sec = 0;
  return static_cast<long>(difftime(mktime(&today), mktime(&then)) / 86400);
}

// The town's warnings on one line, coloured by the most severe level: its name and how many more
// there are; "警報・注意報なし" only while the warnings are fresh.
void drawWarnings(const struct tm* now) {
  static const uint16_t kColours[] = {TFT_WHITE, TFT_YELLOW, TFT_RED, TFT_MAGENTA, TFT_MAGENTA,
                                      TFT_RED};
  const char* problem = warningsDocument.problem;
  if (!warningsDocument.have) {
    line("警報・注意報: %s", problem[0] != '\0' ? problem : "-");
    return;
  }
  char mark[48] = "";
  if (problem[0] != '\0') snprintf(mark, sizeof mark, " ! %s", problem);
  const char* area = warnings.fromArea ? " (区域)" : "";  // the primary subdivision's
  if (warnings.count == 0) {
    long days = now != nullptr ? daysSince(warnings.reportDatetime, now) : 0;
    if (days > kStaleDays) {
      line("警報・注意報: %ld日間更新なし%s", days, mark);
    } else {
      line("警報・注意報なし%s%s", area, mark);
    }
    return;
  }
  parcelo::WarningCodeText text;
  parcelo::warningCodeText(warnings.kinds[0].code, text);
  M5.Display.setTextColor(kColours[warnings.kinds[0].level]);
  uint8_t rest = warnings.count - 1 + warnings.more;
  char others[16] = "";
  if (rest > 0) snprintf(others, sizeof others, " 他%u件", rest);
  line("%s%s%s%s", text.japanese, others, area, mark);
  M5.Display.setTextColor(TFT_WHITE);
}

void draw() {
  M5.Display.clear();
  M5.Display.setCursor(0, 0);
  struct tm now;
  bool clock = getLocalTime(&now, 0);
  drawWarnings(clock ? &now : nullptr);
  const char* problem = forecastDocument.problem[0] != '\0' ? forecastDocument.problem : nullptr;
  if (forecastDocument.have) drawForecast(clock ? &now : nullptr);
  if (problem != nullptr) {
    if (forecastDocument.have) {
      line("! %s, %lu分前の予報", problem, (millis() - forecastDocument.fetchedAt) / kMinute);
    } else {
      line("Error: %s", problem);
      line("Retry in %lu min", (forecastDocument.next - millis() + kMinute / 2) / kMinute);
    }
    if (strcmp(problem, parcelo::Error(parcelo::Error::NotTrusted).c_str()) == 0) {
      line("See the guide: Certificates");
    }
  }
  M5.Display.println("出典：気象庁ホームページ");
}

// Joins the Wi-Fi, waiting up to 20 s; says so on the screen when it cannot.
bool joinWifi() {
  if (WiFi.status() == WL_CONNECTED) return true;
  WiFi.begin(kWifiName, kWifiPassword);
  for (unsigned long start = millis(); millis() - start < 20000; delay(200)) {
    if (WiFi.status() == WL_CONNECTED) return true;
  }
  M5.Display.clear();
  M5.Display.setCursor(0, 0);
  line("Wi-Fi: cannot join %s", kWifiName);
  line("Check its name and password");
  return false;
}

bool due(const Document& document) { return static_cast<long>(millis() - document.next) >= 0; }

// Fetches what is due, and draws what the screen then shows.
void fetchAndDraw() {
  if (!joinWifi()) {
    forecastDocument.next = warningsDocument.next = millis() + kMinute;
    return;
  }
  struct tm now;
  if (!getLocalTime(&now, 0)) configTime(9 * 3600, 0, "ntp.nict.jp", "pool.ntp.org");  // JST
  char path[64];
  if (due(warningsDocument)) {
    snprintf(path, sizeof path, "/bosai/warning/data/r8/%s.json", town.office);
    if (fetch(warningsDocument, path, readWarningsBody)) warnings = freshWarnings;
  }
  if (due(forecastDocument)) {
    snprintf(path, sizeof path, "/bosai/forecast/data/forecast/%s.json", town.forecastOffice);
    if (fetch(forecastDocument, path, readForecastBody)) forecast = fresh;
  }
  draw();
}

// Reads the town saved on the card; says what to do where there is none.
bool readTown() {
  parcelo::Files files(SD);
  parcelo::Error error = SD.begin(4) ? files.town(town) : parcelo::Error(parcelo::Error::NoFile);
  if (!error) return true;
  line("Town: %s", error.c_str());
  line("Save your town from Parcelo's page");
  line("or the ChooseYourTown example");
  line("into /parcelo/town.json");
  return false;
}

void setup() {
  M5.begin();
  M5.Display.setFont(&fonts::lgfxJapanGothic_16);
  if (!readTown()) return;  // loop() then waits for a restart
  M5.Display.println("Wi-Fi...");
  configTime(9 * 3600, 0, "ntp.nict.jp", "pool.ntp.org");  // Japan's time, JST
  fetchAndDraw();
}

void loop() {
  if (town.area[0] != '\0' && (due(warningsDocument) || due(forecastDocument))) fetchAndDraw();
  delay(1000);
}
