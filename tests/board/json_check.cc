// The library's JSON reader: a table of documents and what it reads from each; a document cut at
// every byte; the tool's files and the agency's forecasts read back exactly as nlohmann::json
// reads them; bytes in bursts, with and without a time limit, and a stream that stalls.
#include <Parcelo.h>

#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "check.h"

namespace {

using parcelo::JsonReader;
using parcelo::JsonToken;

static_assert(sizeof(JsonReader) == (sizeof(void*) == 8 ? 32 : 20),
              "the reader's state, as its header says");

// A string as nlohmann::json's dump() writes it.
std::string quoted(const char* text) {
  std::string out = "\"";
  for (const char* p = text; *p != '\0'; p++) {
    const char* escapes = "\"\"\\\\\bb\ff\nn\rr\tt";
    const char* e = escapes;
    while (*e != '\0' && *e != *p) e += 2;
    if (*e != '\0') {
      out += '\\';
      out += e[1];
    } else if (static_cast<unsigned char>(*p) < 0x20) {
      char hex[8];
      snprintf(hex, sizeof hex, "\\u%04x", *p);
      out += hex;
    } else {
      out += *p;
    }
  }
  return out + "\"";
}

// Reads one value through the pull calls and writes it back as compact JSON.
bool walk(JsonReader& json, std::string& out) {
  static char text[8192];
  bool first = true;
  bool value;
  switch (json.peek()) {
    case JsonToken::Object:
      json.beginObject();
      out += '{';
      while (json.nextKey(text, sizeof text)) {
        out += (first ? "" : ",") + quoted(text) + ':';
        first = false;
        if (!walk(json, out)) return false;
      }
      out += '}';
      break;
    case JsonToken::Array:
      json.beginArray();
      out += '[';
      while (json.nextItem()) {
        out += first ? "" : ",";
        first = false;
        if (!walk(json, out)) return false;
      }
      out += ']';
      break;
    case JsonToken::String:
      if (json.readString(text, sizeof text)) out += quoted(text);
      break;
    case JsonToken::Number:
      if (json.readNumber(text, sizeof text)) out += text;
      break;
    case JsonToken::True:
    case JsonToken::False:
      if (json.readBool(value)) out += value ? "true" : "false";
      break;
    case JsonToken::Null:
      if (json.readNull()) out += "null";
      break;
    default:
      break;
  }
  return !json.error();
}

// What the reader makes of a document: the value as compact JSON, or "error: " and its text.
std::string readBack(Stream& in, unsigned long timeoutMs = 0) {
  JsonReader json(in, timeoutMs);
  std::string out;
  if (walk(json, out) && json.finish()) return out;
  return std::string("error: ") + json.error().c_str();
}

std::string readBack(const std::string& text) {
  TextStream in(text);
  return readBack(in);
}

std::string nested(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

void checkTable() {
  const std::string kEveryKind = R"({"a":[1,-2.5e+3,0,true,false,null,"x",{}],"b":{"c":[]}})";
  const struct {
    const char* what;
    std::string text;
    std::string read;
  } kDocuments[] = {
      {"every kind of value", kEveryKind, kEveryKind},
      {"JSON's white space, CR LF among it", " \t\r\n[ 1 ,\r\n\t2 ]\r\n", "[1,2]"},
      {"a byte-order mark", "\xEF\xBB\xBF{}", "{}"},
      {"half a byte-order mark", "\xEF\xBB{}", "error: not JSON"},
      {"a byte-order mark after white space", " \xEF\xBB\xBF{}", "error: not JSON"},
      {"every escape", R"(["\"\\\/\b\f\n\r\t\u0041\u00e9\u65B0\ud83d\ude00"])",
       "[\"\\\"\\\\/\\b\\f\\n\\r\\tAé新😀\"]"},
      {"UTF-8 of one to four bytes", "[\"a\xC3\xA9\xE6\x96\xB0\xF0\x9F\x98\x80\"]", "[\"aé新😀\"]"},
      {"a NUL, which no C string holds", R"(["a\u0000"])", "error: unexpected value"},
      {"a lone high surrogate", R"(["\ud83d"])", "error: not JSON"},
      {"a high surrogate before a letter", R"(["\ud83dx"])", "error: not JSON"},
      {"a lone low surrogate", R"(["\ude00"])", "error: not JSON"},
      {"an unknown escape", R"(["\x"])", "error: not JSON"},
      {"a short \\u escape", R"(["\u12"])", "error: not JSON"},
      {"a tab in a string", "[\"a\tb\"]", "error: not JSON"},
      {"an overlong UTF-8 form", "[\"\xC0\xAF\"]", "error: not JSON"},
      {"a surrogate in UTF-8", "[\"\xED\xA0\x80\"]", "error: not JSON"},
      {"UTF-8 past U+10FFFF", "[\"\xF4\x90\x80\x80\"]", "error: not JSON"},
      {"a lone continuation byte", "[\"\x80\"]", "error: not JSON"},
      {"a UTF-8 sequence cut by the quote", "[\"\xE6\x96\"]", "error: not JSON"},
      {"a leading zero", "[01]", "error: not JSON"},
      {"a minus alone", "[-]", "error: not JSON"},
      {"a point without digits", "[1.]", "error: not JSON"},
      {"an exponent without digits", "[1e]", "error: not JSON"},
      {"a comma before the end of an array", "[1,]", "error: not JSON"},
      {"a comma before the end of an object", R"({"a":1,})", "error: not JSON"},
      {"a member without its colon", R"({"a" 1})", "error: not JSON"},
      {"a key that is not a string", "{1:2}", "error: not JSON"},
      {"two values without a comma", "[1 2]", "error: not JSON"},
      {"a misspelt literal", "[trve]", "error: not JSON"},
      {"a bracket closing a brace", "{]", "error: not JSON"},
      {"a brace closing a bracket", "[}", "error: not JSON"},
      {"text after the value", "{} x", "error: not JSON"},
      {"two values", "{}{}", "error: not JSON"},
      {"nothing", "", "error: cut off"},
      {"white space alone", " \r\n", "error: cut off"},
      {"a literal cut off", "[tru", "error: cut off"},
      {"an array cut off", "[1,", "error: cut off"},
      {"32 levels", nested(32), nested(32)},
      {"33 levels", nested(33), "error: nested too deep"},
      {"a string longer than the buffer", "[\"" + std::string(9000, 'x') + "\"]",
       "error: too long"},
      {"a number longer than the buffer", "[" + std::string(9000, '1') + "]", "error: too long"},
  };
  for (const auto& row : kDocuments) {
    std::string read = readBack(row.text);
    expect(read == row.read, std::string(row.what) + ": " + read.substr(0, 200));
  }

  // Every document cut short is cut off, wherever it is cut.
  const std::string whole =
      "\xEF\xBB\xBF{\"a\": [1, -2.5e+3, true, false, null, \"\\u00e9\\ud83d\\ude00新\"],\r\n"
      " \"b\": {}}";
  for (size_t length = 0; length < whole.size(); length++) {
    std::string read = readBack(whole.substr(0, length));
    expect(read == "error: cut off", "cut after " + std::to_string(length) + " bytes: " + read);
  }
}

// The skips and the string reads of the library's own calls, against a full parser.
void checkAgainstParser(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    std::string text = readFile(path);
    std::string parsed = nlohmann::ordered_json::parse(text).dump();
    std::string read = readBack(text);
    expect(read == parsed, path + " reads back as nlohmann::json reads it");
    TextStream in(text);
    JsonReader json(in);
    expect(json.skip() && json.finish(), path + " is skipped whole");
  }
}

void checkBursts(const std::string& text) {
  using Clock = std::chrono::steady_clock;
  std::string whole = readBack(text);
  TextStream bursts(text, 7, 3);
  std::string read = readBack(bursts, 1000);
  expect(read == whole, "bursts with gaps, read with a time limit: " + read.substr(0, 100));
  TextStream unwaited(text, 7, 3);
  expect(readBack(unwaited) == "error: cut off", "bursts with gaps, read without a time limit");
  TextStream stalled(text.substr(0, text.size() / 2), 7, 3);
  Clock::time_point start = Clock::now();
  read = readBack(stalled, 50);
  auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  expect(read == "error: timed out" && waited.count() >= 45 && waited.count() < 1000,
         "a stream that stalls: " + read + " after " + std::to_string(waited.count()) + " ms");
}

}  // namespace

int TextStream::read() {
  if (peek() < 0) {
    waiting_ += waiting_ < gaps_ ? 1 : 0;
    return -1;
  }
  if (sinceGap_ == burst_) sinceGap_ = waiting_ = 0;
  sinceGap_++;
  return static_cast<unsigned char>(text_[at_++]);
}

int TextStream::peek() {
  if (burst_ > 0 && sinceGap_ == burst_ && waiting_ < gaps_) return -1;
  return at_ < text_.size() ? static_cast<unsigned char>(text_[at_]) : -1;
}

void checkJsonReader(const std::string& real, const std::string& crlf,
                     const std::string& forecasts) {
  checkTable();
  std::vector<std::string> paths;
  for (const std::string& folder : {real, crlf, forecasts}) {
    for (const std::string& name : filesIn(folder)) paths.push_back(folder + "/" + name);
  }
  checkAgainstParser(paths);
  checkBursts(readFile(real + "/130000.json"));
}
