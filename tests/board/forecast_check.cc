// The library's forecast reader: for every document of the agency's forecasts and every primary
// subdivision it covers, the same answers as forecast_rules.mjs gives from the whole document,
// with nothing allocated; the table of odd documents that the MicroPython check shares; a
// document cut at every byte; bytes in bursts, and a stream that stalls; the weather codes.
#include <ParceloForecast.h>

#include <nlohmann/json.hpp>

#include "check.h"
#include "forecast_json.h"

using nlohmann::json;

// A document of the shared table: a text, or a file of the agency with its changes.
std::string documentOf(const json& row, const std::string& folder) {
  auto expand = [](std::string text) {
    size_t at = text.find("@300");
    return at == std::string::npos ? text : text.replace(at, 4, std::string(300, 'x'));
  };
  if (row.is_string()) return row;
  std::string text = readFile(folder + "/" + row["file"].get<std::string>());
  if (row.contains("replace")) {
    std::string from = row["replace"][0], to = expand(row["replace"][1]);
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
      text.replace(at, from.size(), to);
    }
  }
  return text + row.value("append", "");
}

namespace {

using parcelo::Error;

// What printForecast writes, read back.
json toJson(const parcelo::Forecast& forecast) {
  struct Text : Print {
    size_t write(uint8_t c) override {
      text += static_cast<char>(c);
      return 1;
    }
    std::string text;
  } out;
  printForecast(out, forecast);
  return json::parse(out.text);
}

Error readCounted(Stream& in, const std::string& area, parcelo::Forecast& forecast) {
  allocations = 0;
  counting = true;
  Error error = parcelo::readForecast(in, area.c_str(), forecast);
  counting = false;
  expect(allocations == 0, "readForecast allocates nothing");
  return error;
}

void checkEveryDocument(const std::string& forecasts, const json& answers) {
  size_t count = 0;
  for (const auto& document : answers.items()) {
    std::string text = readFile(forecasts + "/" + document.key());
    for (const auto& area : document.value().items()) {
      TextStream in(text);
      parcelo::Forecast forecast;
      Error error = readCounted(in, area.key(), forecast);
      std::string what = document.key() + " " + area.key();
      if (area.value().is_null()) {
        expect(error == Error::NoArea, what + ": " + error.c_str());
      } else {
        expect(!error && toJson(forecast) == area.value(), what + ": " + error.c_str());
      }
      count++;
    }
  }
  printf("readForecast: %zu documents, %zu areas\n", answers.size(), count);
  expect(count > 250, "every document has its areas");
}

void checkOddDocuments(const std::string& forecasts, const json& cases) {
  for (const json& row : cases) {
    TextStream in(documentOf(row["document"], forecasts));
    parcelo::Forecast forecast;
    std::string error = readCounted(in, row["area"], forecast).c_str();
    std::string what = row["what"];
    expect(error == row["error"], what + ": " + error);
    if (row.contains("station")) expect(row["station"] == forecast.station, what + ": station");
    if (row.contains("stationName")) {
      expect(row["stationName"] == forecast.stationName, what + ": the station's name");
    }
    if (row.contains("weekArea")) expect(row["weekArea"] == forecast.weekArea, what + ": week");
  }
}

void checkStreams(const std::string& text, const json& answer, const std::string& area) {
  parcelo::Forecast forecast;
  TextStream bursts(text, 7, 3);
  Error error = parcelo::readForecast(bursts, area.c_str(), forecast, 1000);
  expect(!error && toJson(forecast) == answer, std::string("bursts with gaps: ") + error.c_str());
  TextStream stalled(text.substr(0, text.size() / 2), 7, 3);
  error = parcelo::readForecast(stalled, area.c_str(), forecast, 50);
  expect(error == Error::TimedOut, std::string("a stream that stalls: ") + error.c_str());
  for (size_t length = 0; length < text.size(); length++) {
    TextStream cut(text.substr(0, length));
    error = parcelo::readForecast(cut, area.c_str(), forecast);
    expect(error == Error::NotForecast,
           "cut after " + std::to_string(length) + " bytes: " + error.c_str());
  }
}

void checkWeatherCodes(const std::string& data) {
  json codes = json::parse(readFile(data + "/weather-codes.json"));
  parcelo::WeatherCodeText text;
  for (const auto& code : codes.items()) {
    bool known = parcelo::weatherCodeText(code.key().c_str(), text);
    const json& row = code.value();
    expect(known && row[0] == text.dayIcon && row[1] == text.nightIcon && row[3] == text.japanese &&
               row[4] == text.english,
           "weather code " + code.key());
  }
  for (const char* unknown : {"999", "", "10", "1000"}) {
    bool known = parcelo::weatherCodeText(unknown, text);
    expect(!known && std::string(text.japanese) == "unknown" &&
               std::string(text.english) == "unknown" && text.dayIcon[0] == '\0',
           std::string("the unknown weather code \"") + unknown + "\"");
  }
}

}  // namespace

void checkForecasts(const std::string& data, const std::string& answersPath,
                    const std::string& casesPath) {
  std::string forecasts = data + "/forecast";
  json answers = json::parse(readFile(answersPath));
  checkEveryDocument(forecasts, answers);
  checkOddDocuments(forecasts, json::parse(readFile(casesPath)));
  std::string largest = "130000-2026031205.json";
  TextStream in(readFile(forecasts + "/" + largest));
  parcelo::Forecast forecast;
  size_t stack = stackOf([&] { parcelo::readForecast(in, "130010", forecast); });
  printf("readForecast: %zu bytes of stack (%zu-bit), %s\n", stack, sizeof(void*) * 8,
         largest.c_str());
  std::string small = "370000-2024011111.json";
  checkStreams(readFile(forecasts + "/" + small), answers[small]["370000"], "370000");
  checkWeatherCodes(data);
}
