// Runs the board's Arduino library on the host, on the real Print and Stream of the Arduino core:
// every call for every centre, office and municipality of the files the tool wrote from the
// agency's real list, with LF and with CR LF, compared with those files as nlohmann::json reads
// them; no call allocates, and the most stack each needs; the bad-card table; the JSON reader
// (json_check.cc); the forecast reader (forecast_check.cc); and the example sketch, driven by its
// buttons.
// Usage: arduino_check REAL CRLF DATA SCRATCH TESTS ANSWERS, where REAL/parcelo and CRLF/parcelo
// hold the tool's files, DATA is ../shared/data, SCRATCH an empty folder for the bad cards, TESTS
// the folder of bad_cards.json and forecast_cases.json, and ANSWERS the forecasts' answers.
#include <M5Unified.h>
#include <Parcelo.h>
#include <SD.h>
#include <dirent.h>
#include <sys/stat.h>
#include <ucontext.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "check.h"

void setup();
void loop();

#if defined(__SANITIZE_ADDRESS__)
#define SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SANITIZED 1
#endif
#endif

// Every allocation while `counting`, through new or (linked with --wrap) malloc, calloc, realloc.
extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
void* __wrap_malloc(size_t size) {
  allocations += counting;
  return __real_malloc(size);
}
void* __wrap_calloc(size_t count, size_t size) {
  allocations += counting;
  return __real_calloc(count, size);
}
void* __wrap_realloc(void* block, size_t size) {
  allocations += counting;
  return __real_realloc(block, size);
}
}

#ifndef SANITIZED  // the sanitizers bring their own new and delete
void* operator new(size_t size) {
  allocations += counting;
  void* block = malloc(size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}
void operator delete(void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
#endif

using nlohmann::ordered_json;
using parcelo::Error;

namespace {

int failures = 0;

// What a call touches of a stack of its own, painted.
size_t touched(const std::function<void()>& call) {
#ifdef SANITIZED
  call();
  return 0;
#else
  static std::vector<unsigned char> stack(64 * 1024);
  static const std::function<void()>* current;
  std::fill(stack.begin(), stack.end(), 0xA5);
  ucontext_t caller, task;
  getcontext(&task);
  task.uc_stack.ss_sp = stack.data();
  task.uc_stack.ss_size = stack.size();
  task.uc_link = &caller;
  current = &call;
  makecontext(
      &task, [] { (*current)(); }, 0);
  swapcontext(&caller, &task);
  size_t untouched = 0;
  while (stack[untouched] == 0xA5) untouched++;
  return stack.size() - untouched;
#endif
}

struct Figure {
  size_t stack = 0;
  std::string where;
};
std::map<std::string, Figure> figures;

// Runs a call with its allocations counted (none allowed), then the same call on a Stream that
// holds the file already, with a visitor that keeps nothing, on a stack of its own to measure it.
template <typename Call, typename Quiet>
Error measured(const std::string& kind, const std::string& where, Call call, Quiet quiet) {
  allocations = 0;
  counting = true;
  Error error = call();
  counting = false;
  expect(allocations == 0, kind + " " + where + " allocates nothing");
  size_t stack = stackOf(quiet);
  Figure& figure = figures[kind];
  if (stack > figure.stack) figure = Figure{stack, where};
  return error;
}

ordered_json readJson(const std::string& path) { return ordered_json::parse(readFile(path)); }

void checkRealList(const std::string& root) {
  parcelo::Files files(SD, "/parcelo");
  SD.setRoot(root);
  ordered_json centres = readJson(root + "/parcelo/centers.json");
  expect(centres.size() > 10, "centers.json has centres");

  ordered_json seen = ordered_json::object();
  auto keep = [&](const parcelo::Place& place) {
    Paused paused;
    seen[place.code] = place.name;
    return true;
  };
  auto none = [](const parcelo::Place&) { return true; };
  auto noTown = [](const parcelo::Municipality&) { return true; };
  TextStream centersJson(readFile(root + "/parcelo/centers.json"));
  Error error = measured(
      "centers", "", [&] { return files.centers(keep); },
      [&] { parcelo::readCenters(centersJson, none); });
  ordered_json names = ordered_json::object();
  for (const auto& centre : centres.items()) names[centre.key()] = centre.value()["name"];
  expect(!error && seen == names, root + ": centers() lists every centre");

  size_t count = 0;
  for (const auto& centre : centres.items()) {
    seen = ordered_json::object();
    TextStream again(readFile(root + "/parcelo/centers.json"));
    error = measured(
        "offices", centre.key(), [&] { return files.offices(centre.key().c_str(), keep); },
        [&] { parcelo::readOffices(again, centre.key().c_str(), none); });
    names = ordered_json::object();
    for (const auto& child : centre.value()["children"]) names[child["code"]] = child["name"];
    expect(!error && seen == names, root + ": offices of " + centre.key());
    for (const auto& child : centre.value()["children"]) {
      std::string office = child["code"];
      std::string path = root + "/parcelo/" + office + ".json";
      ordered_json towns = readJson(path);
      ordered_json listed = ordered_json::array();
      error = measured(
          "municipalities", office,
          [&] {
            return files.municipalities(office.c_str(), [&](const parcelo::Municipality& town) {
              Paused paused;
              listed.push_back(
                  {{"areaname", town.areaname}, {"cityname", town.cityname}, {"code", town.code}});
              return true;
            });
          },
          [&, in = TextStream(readFile(path))]() mutable {
            parcelo::readMunicipalities(in, noTown);
          });
      expect(!error && listed == towns && !towns.empty(), root + ": municipalities of " + office);
      for (const auto& town : towns) {
        std::string name = town["cityname"];
        auto first = std::find_if(towns.begin(), towns.end(),
                                  [&](const ordered_json& t) { return t["cityname"] == name; });
        char code[parcelo::kCodeSize];
        error = measured(
            "areaCode", office + " " + name,
            [&] { return files.areaCode(office.c_str(), name.c_str(), code); },
            [&, in = TextStream(readFile(path))]() mutable {
              parcelo::readAreaCode(in, name.c_str(), code);
            });
        expect(!error && (*first)["code"] == code, root + ": areaCode " + office + " " + name);
        count++;
      }
    }
  }
  char code[parcelo::kCodeSize];
  error = files.areaCode("130000", "no such town", code);
  expect(!error && code[0] == '\0', "a town the office lacks has the code \"\"");
  int visits = 0;
  files.municipalities("130000", [&](const parcelo::Municipality&) { return ++visits < 2; });
  expect(visits == 2, "a visit that returns false stops the walk");
  printf("%s: %zu centres, %zu municipalities\n", root.c_str(), centres.size(), count);
}

// A text of the bad-card table, with "@300" standing for 300 bytes.
std::string expand(const ordered_json& text) {
  std::string expanded = text.is_string() ? text.get<std::string>() : "";
  size_t at = expanded.find("@300");
  return at == std::string::npos ? expanded : expanded.replace(at, 4, std::string(300, 'x'));
}

Error call(parcelo::Files& files, const ordered_json& call, char (&code)[parcelo::kCodeSize]) {
  const ordered_json none;
  std::string name = call[0], first = expand(call.size() > 1 ? call[1] : none);
  code[0] = '\0';
  // The first centre's or office's code, which tells the order they came in.
  auto first_code = [&code](const parcelo::Place& place) {
    if (code[0] == '\0') strcpy(code, place.code);
    return true;
  };
  if (name == "centers") return files.centers(first_code);
  if (name == "offices") return files.offices(first.c_str(), first_code);
  if (name == "municipalities") {
    return files.municipalities(first.c_str(), [](const parcelo::Municipality&) { return true; });
  }
  if (name == "town") {
    parcelo::Town town;
    Error error = files.town(town);
    if (!error) strcpy(code, town.forecastOffice);
    return error;
  }
  return files.areaCode(first.c_str(), expand(call.size() > 2 ? call[2] : none).c_str(), code);
}

// Each row of the bad-card table that the MicroPython check shares: the files on the card
// (a text, half of the real file, a copy of it, or a folder), a call, the error it gives and,
// for some, the code it finds.
void checkBadCards(const std::string& real, const std::string& scratch, const std::string& table) {
  ordered_json cards = readJson(table);
  expect(cards.size() > 20, "the bad-card table " + table);
  int row = 0;
  for (const auto& card : cards) {
    std::string folder = scratch + "/" + std::to_string(row++);
    mkdir(folder.c_str(), 0755);
    if (!card["files"].is_null()) mkdir((folder + "/parcelo").c_str(), 0755);
    for (const auto& file : card["files"].items()) {
      std::string path = folder + "/parcelo/" + file.key();
      const ordered_json& what = file.value();
      std::ofstream out;
      if (what.is_object() && what.contains("folder")) {
        mkdir(path.c_str(), 0755);
        continue;
      }
      out.open(path, std::ios::binary);
      if (what.is_string()) out << expand(what);
      if (what.contains("copy"))
        out << readFile(real + "/parcelo/" + what["copy"].get<std::string>());
      if (what.contains("half")) {
        std::string original = readFile(real + "/parcelo/" + what["half"].get<std::string>());
        out << original.substr(0, original.size() / 2);
      }
    }
    SD.setRoot(folder);
    parcelo::Files files(SD, "/parcelo");
    char code[parcelo::kCodeSize];
    std::string error = call(files, card["call"], code).c_str();
    std::string what = card["what"];
    expect(error == card["error"], what + ": " + error);
    if (card.contains("code")) expect(card["code"] == code, what + ": the code " + code);
  }
}

// The example sketch, with the buttons pressed: 十勝 (published in 釧路・根室's document), its
// first municipality; the town file it saves, as the page writes it.
void checkSketch(const std::string& real, const std::string& scratch) {
  ordered_json centres = readJson(real + "/parcelo/centers.json");
  std::string presses;
  for (const auto& centre : centres) {
    const ordered_json& offices = centre["children"];
    auto tokachi = std::find_if(offices.begin(), offices.end(),
                                [](const ordered_json& o) { return o["code"] == "014030"; });
    if (tokachi == offices.end()) {
      presses += "C";
      continue;
    }
    presses += "B" + std::string(tokachi - offices.begin(), 'C') + "BB";
    break;
  }
  ordered_json town = readJson(real + "/parcelo/014030.json")[0];
  std::string cityname = town["cityname"], areaname = town["areaname"], code = town["code"];
  SD.setRoot(real);
  setup();
  for (M5.presses = presses; !M5.presses.empty();) loop();
  // The core's println ends a line with CR LF, as the ESP32's does.
  std::string screen = M5.Display.text;
  screen.erase(std::remove(screen.begin(), screen.end(), '\r'), screen.end());
  expect(screen.find(cityname + "\n" + areaname + " " + code + "\n") == 0,
         "the sketch shows " + cityname + " " + code + ", not:\n" + screen);
  expect(screen.find("/forecast/014100.json\n") != std::string::npos,
         "the sketch shows 十勝's forecast in 014100's document:\n" + screen);
  expect(screen.find("area.code == \"" + code + "\"") != std::string::npos,
         "the sketch names the area by its code");
  nlohmann::json saved = {
      {"area", code},         {"areaname", areaname},       {"city", ""},
      {"cityname", cityname}, {"forecastOffice", "014100"}, {"office", "014030"}};
  expect(screen.find("Saved: /parcelo/town.json\n") != std::string::npos &&
             readFile(real + "/parcelo/town.json") == saved.dump(4),
         "the sketch saves the town as the page does:\n" + readFile(real + "/parcelo/town.json"));
  parcelo::Town read;
  parcelo::Files files(SD);
  parcelo::Error error = files.town(read);
  expect(!error && cityname == read.cityname && std::string(read.forecastOffice) == "014100" &&
             read.city[0] == '\0',
         std::string("the town file read back: ") + error.c_str());
  SD.setRoot(scratch);
  for (M5.presses = "B"; !M5.presses.empty();) loop();
  expect(M5.Display.text == "Error: no such file on the card\n", "the sketch shows a bad card");
}

}  // namespace

size_t stackOf(const std::function<void()>& call) {
  static const size_t kNothing = touched([] {});  // what the measure itself takes
  return touched(call) - kNothing;
}

void expect(bool ok, const std::string& what) {
  if (ok) return;
  if (++failures <= 20) printf("FAILED: %s\n", what.c_str());
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  for (dirent* entry; dir != nullptr && (entry = readdir(dir)) != nullptr;) {
    std::string name = entry->d_name;
    if (name.size() > 5 && name.compare(name.size() - 5, 5, ".json") == 0) names.push_back(name);
  }
  if (dir != nullptr) closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

int main(int argc, char** argv) {
  if (argc != 8) {
    fprintf(stderr, "usage: arduino_check REAL CRLF DATA SCRATCH TESTS ANSWERS WARNINGS\n");
    return 2;
  }
  std::string data = argv[3], tests = argv[5];
  checkRealList(argv[1]);
  checkRealList(argv[2]);
  printf("the most stack one call needed (%zu-bit):\n", sizeof(void*) * 8);
  for (const auto& figure : figures) {
    printf("  %-15s %5zu bytes  %s\n", figure.first.c_str(), figure.second.stack,
           figure.second.where.c_str());
  }
  checkBadCards(argv[1], argv[4], tests + "/bad_cards.json");
  checkJsonReader(std::string(argv[1]) + "/parcelo", std::string(argv[2]) + "/parcelo",
                  data + "/forecast");
  checkForecasts(data, argv[6], tests + "/forecast_cases.json");
  checkWarnings(data, argv[7], tests + "/warning_cases.json");
  checkSketch(argv[1], argv[4]);
  if (failures > 0) printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
