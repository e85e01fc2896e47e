// What the board's host checks share: the count of failures, files, and a Stream over a text.
#pragma once

#include <Arduino.h>

#include <functional>
#include <string>
#include <vector>

// The check counts every allocation while `counting`. What the check's own visitors and the
// file system's stand-in do is not the library's: they pause the count.
extern bool counting;
extern int allocations;
struct Paused {
  bool was = counting;
  Paused() { counting = false; }
  ~Paused() { counting = was; }
};

// The stack a call needs, in bytes (0 under AddressSanitizer, whose stacks are its own).
size_t stackOf(const std::function<void()>& call);

// Counts a failure and prints the first twenty.
void expect(bool ok, const std::string& what);
std::string readFile(const std::string& path);
// The names of the .json files in a folder, sorted.
std::vector<std::string> filesIn(const std::string& folder);

// A Stream over a text. With a burst size, read() says -1 `gaps` times after each burst, as a
// network stream does between packets; at the end it says -1 for ever, as a stalled one does.
class TextStream : public Stream {
 public:
  explicit TextStream(std::string text, size_t burst = 0, int gaps = 0)
      : text_(std::move(text)), burst_(burst), gaps_(gaps) {}
  int available() override { return static_cast<int>(text_.size() - at_); }
  int read() override;
  int peek() override;
  size_t write(uint8_t) override { return 0; }

 private:
  std::string text_;
  size_t at_ = 0;
  size_t burst_;
  int gaps_;
  size_t sinceGap_ = 0;  // bytes read since the last gap
  int waiting_ = 0;      // -1s said in this gap
};

// The library's JSON reader on a table of documents, on the tool's files in REAL and CRLF (the
// same with CR LF line ends), and on the agency's forecasts in FORECASTS.
void checkJsonReader(const std::string& real, const std::string& crlf,
                     const std::string& forecasts);

// The library's warning reader on every municipality of DATA/warning's documents, against ANSWERS
// (written by warning_rules.mjs), and on the odd documents of CASES (warning_cases.json).
void checkWarnings(const std::string& data, const std::string& answers, const std::string& cases);

// The library's forecast reader on every document of DATA/forecast, against ANSWERS (written by
// forecast_answers.mjs), and on the odd documents of CASES (forecast_cases.json).
void checkForecasts(const std::string& data, const std::string& answers, const std::string& cases);
