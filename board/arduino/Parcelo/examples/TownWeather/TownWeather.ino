// The weather of one town on an M5Stack: today and tomorrow (weather, chance of rain,
// temperatures) and the week, from the agency's forecast, fetched over HTTPS with its certificate
// checked and read as it streams. It looks for a new forecast every 30 minutes (a request that
// costs a few hundred bytes when nothing is new); after a failure it keeps the last forecast on
// the screen and tries again after 1, 2, 5, 10, then every 30 minutes.
// The town is the one saved in /parcelo/town.json on the microSD card, by Parcelo's page or the
// ChooseYourTown example. Needs M5Unified. Edit the two lines below: your Wi-Fi.
#include <M5Unified.h>
#include <Parcelo.h>
#include <ParceloCertificates.h>
#include <ParceloForecast.h>
#include <ParceloHttp.h>
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

parcelo::Town town;          // from town.json
parcelo::Forecast forecast;  // 2.8 KB, kept off the stack: the one on the screen
parcelo::Forecast fresh;     // the one being read, so that a failure leaves the other
bool haveForecast = false;
char lastModified[32] = "";  // of the forecast on the screen, for the next request
unsigned long fetchedAt = 0;  // millis() of the last good answer
unsigned long nextFetch = 0;
uint8_t failures = 0;

// Fetches the office's forecast into `forecast`, or learns that it has not changed; the text of
// what went wrong, or nullptr.
const char* fetch() {
  WiFiClientSecure client;
  client.setCACert(parcelo::kAgencyRoots);
  parcelo::HttpGet http(client);
  parcelo::Error error = parcelo::connectSecurely(client, kHost);
  char path[64];
  snprintf(path, sizeof path, "/bosai/forecast/data/forecast/%s.json", town.forecastOffice);
  if (!error) error = http.request(kHost, path, haveForecast ? lastModified : "");
  if (!error && http.status() == 200) error = parcelo::readForecast(http, town.area, fresh);
  error = http.finish(error);
  static char problem[40];
  if (error) return strcpy(problem, http.text(error));
  if (http.status() == 200) {
    forecast = fresh;
    haveForecast = true;
    strncpy(lastModified, http.lastModified(), sizeof lastModified - 1);
  }
  fetchedAt = millis();
  return nullptr;
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
  for (uint8_t i = 0; i < forecast.dayCount && forecast.weekArea[0] != '\0'; i++) {
    const parcelo::ForecastDay& day = forecast.days[i];
    if (strncmp(day.date, today, 10) < 0) continue;
    parcelo::WeatherCodeText text;
    parcelo::weatherCodeText(day.weatherCode, text);
    line("%.5s %s %s%% %s/%s", day.date + 5, text.japanese, shown(day.pop), shown(day.min),
         shown(day.max));
  }
}

void draw(const char* problem) {
  M5.Display.clear();
  M5.Display.setCursor(0, 0);
  struct tm now;
  bool clock = getLocalTime(&now, 0);
  if (haveForecast) drawForecast(clock ? &now : nullptr);
  if (problem != nullptr) {
    if (haveForecast) {
      line("! %s, %lu分前の予報", problem, (millis() - fetchedAt) / kMinute);
    } else {
      line("Error: %s", problem);
      line("Retry in %lu min", nextFetch == 0 ? 0 : (nextFetch - millis() + kMinute / 2) / kMinute);
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

void fetchAndDraw() {
  if (!joinWifi()) {
    nextFetch = millis() + kMinute;
    return;
  }
  struct tm now;
  if (!getLocalTime(&now, 0)) configTime(9 * 3600, 0, "ntp.nict.jp", "pool.ntp.org");  // JST
  const char* problem = fetch();
  if (problem == nullptr) {
    failures = 0;
    nextFetch = millis() + 30 * kMinute;
  } else {
    nextFetch = millis() + kRetryMinutes[failures < 4 ? failures : 4] * kMinute;
    if (failures < 4) failures++;
  }
  draw(problem);
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
  if (town.area[0] != '\0' && static_cast<long>(millis() - nextFetch) >= 0) fetchAndDraw();
  delay(1000);
}
