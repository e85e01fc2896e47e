// The library's warning reader: for every municipality of the agency's three documents, the same
// answer as warning_rules.mjs gives from the whole document, with nothing allocated; the table of
// odd documents that the MicroPython check shares; its small document cut at every byte, in
// bursts, and stalled; the codes of both systems.
#include <ParceloWarning.h>

#include <nlohmann/json.hpp>

#include "check.h"

using nlohmann::json;

std::string documentOf(const json& row, const std::string& folder);

namespace {

using parcelo::Error;

json toJson(const parcelo::Warnings& warnings) {
  json kinds = json::array();
  for (uint8_t i = 0; i < warnings.count; i++) {
    const parcelo::WarningKind& kind = warnings.kinds[i];
    kinds.push_back({kind.code, kind.status, kind.level});
  }
  return {{"reportDatetime", warnings.reportDatetime},
          {"fromArea", warnings.fromArea},
          {"kinds", kinds},
          {"more", warnings.more},
          {"headline", warnings.headline}};
}

Error readCounted(Stream& in, const std::string& city, const std::string& area,
                  parcelo::Warnings& warnings, unsigned long timeoutMs = 0) {
  allocations = 0;
  counting = true;
  Error error = parcelo::readWarnings(in, city.c_str(), area.c_str(), warnings, timeoutMs);
  counting = false;
  expect(allocations == 0, "readWarnings allocates nothing");
  return error;
}

void checkCodes(const std::string& data) {
  for (const char* system : {"r8", "legacy"}) {
    json table = json::parse(readFile(data + "/warning/warning-codes-" + system + ".json"));
    for (const auto& row : table.items()) {
      parcelo::WarningCodeText text;
      bool known = parcelo::warningCodeText(row.key().c_str(), text, system[0] == 'l');
      expect(known && row.value()["nameJa"] == text.japanese &&
                 row.value()["nameEn"] == text.english &&
                 row.value()["phenomenon"] == text.phenomenon,
             std::string("warning code ") + system + " " + row.key());
    }
  }
  parcelo::WarningCodeText text;
  expect(!parcelo::warningCodeText("99", text) && text.level == parcelo::Unknown &&
             std::string(text.japanese) == "unknown",
         "the unknown warning code 99");
}

}  // namespace

void checkWarnings(const std::string& data, const std::string& answersPath,
                   const std::string& casesPath) {
  json answers = json::parse(readFile(answersPath));
  size_t count = 0;
  for (const auto& document : answers.items()) {
    std::string text = readFile(data + "/warning/" + document.key());
    for (const json& question : document.value()) {
      TextStream in(text);
      parcelo::Warnings warnings;
      Error error = readCounted(in, question[0], question[1], warnings);
      std::string what = document.key() + " " + question[0].get<std::string>();
      expect(!error && toJson(warnings) == question[2],
             what + ": " + error.c_str() + " " + toJson(warnings).dump());
      count++;
    }
  }
  std::string largest = readFile(data + "/warning/150000-202609161137.json");
  TextStream in(largest);
  parcelo::Warnings warnings;
  size_t stack = stackOf([&] { parcelo::readWarnings(in, "1520200", "150020", warnings); });
  printf("readWarnings: %zu documents, %zu towns; %zu bytes of Warnings, %zu of stack (%zu-bit)\n",
         answers.size(), count, sizeof(parcelo::Warnings), stack, sizeof(void*) * 8);
  json cases = json::parse(readFile(casesPath));
  for (const json& row : cases) {
    TextStream in(documentOf(row["document"], data + "/warning"));
    parcelo::Warnings warnings;
    std::string error = readCounted(in, row["city"], row["area"], warnings).c_str();
    std::string what = row["what"];
    json got = toJson(warnings);
    expect(error == row["error"], what + ": " + error);
    for (const char* key : {"kinds", "fromArea", "more"}) {
      if (row.contains(key)) expect(row[key] == got[key], what + ": " + got.dump());
    }
  }
  // The first row's small document: cut anywhere, in bursts with gaps, and stalled.
  std::string small = cases[0]["document"];
  json whole = json();
  for (size_t length = 0; length <= small.size(); length++) {
    TextStream cut(small.substr(0, length));
    Error error = readCounted(cut, "0520100", "050010", warnings);
    if (length == small.size()) whole = toJson(warnings);
    expect(length == small.size() ? !error : error == Error::NotWarnings,
           "cut after " + std::to_string(length) + " bytes: " + error.c_str());
  }
  TextStream bursts(small, 7, 3);
  Error error = readCounted(bursts, "0520100", "050010", warnings, 1000);
  expect(!error && toJson(warnings) == whole, std::string("bursts with gaps: ") + error.c_str());
  TextStream stalled(small.substr(0, small.size() / 2), 7, 3);
  error = readCounted(stalled, "0520100", "050010", warnings, 50);
  expect(error == Error::TimedOut, std::string("a stream that stalls: ") + error.c_str());
  checkCodes(data);
}
