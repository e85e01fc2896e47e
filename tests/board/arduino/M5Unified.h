// Stand-in for M5Unified: a screen that keeps the text printed since it was last cleared, and
// buttons that the test presses, one press per M5.update().
#pragma once

#include <Arduino.h>
#include <stdio.h>

#include <string>
#include <vector>

struct IFont {};
enum : uint16_t { TFT_WHITE = 0xFFFF, TFT_YELLOW = 0xFFE0, TFT_RED = 0xF800, TFT_MAGENTA = 0xF81F };
namespace fonts {
extern const IFont lgfxJapanGothic_16;
}

class Button {
 public:
  bool wasPressed() const { return pressed_; }
  void set(bool pressed) { pressed_ = pressed; }

 private:
  bool pressed_ = false;
};

class Screen : public Print {
 public:
  size_t write(uint8_t c) override {
    text += static_cast<char>(c);
    return 1;
  }
  void clear() { text.clear(); }
  void setCursor(int, int) {}
  void setFont(const IFont*) {}
  void setTextColor(uint16_t colour) { colours.push_back(colour); }
  // M5GFX's own printf; the Arduino core's Print has none.
  template <typename... Args>
  size_t printf(const char* format, Args... args) {
    char line[256];
    int length = snprintf(line, sizeof line, format, args...);
    return length < 0 ? 0 : print(line);
  }

  std::string text;
  std::vector<uint16_t> colours;  // as the sketch set them
};

class M5Unified {
 public:
  void begin() {}
  void update();

  Button BtnA, BtnB, BtnC;
  Screen Display;
  std::string presses;  // "A", "B" or "C" per update still to come
};

extern M5Unified M5;
