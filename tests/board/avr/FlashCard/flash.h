// The card in flash and the measures of the firmware; kept out of the sketch, whose functions
// the Arduino build declares at its top, before any type it defines.
// card.h, made by flash_card.py, holds the files and cardFile().
#pragma once

#include <Parcelo.h>
#include <avr/pgmspace.h>

#include "card.h"

static_assert(sizeof(parcelo::JsonReader) == 16, "the reader's state, as its header says");

// A file in flash, read past the first 64 KB with pgm_read_byte_far.
class FlashFile : public Stream {
 public:
  FlashFile(uint32_t address = 0, uint16_t size = 0, bool found = false)
      : address_(address), size_(size), at_(0), found_(found) {}
  explicit operator bool() const { return found_; }
  bool isDirectory() const { return false; }
  void close() {}
  int available() override { return size_ - at_; }
  int peek() override { return at_ < size_ ? pgm_read_byte_far(address_ + at_) : -1; }
  int read() override { return at_ < size_ ? pgm_read_byte_far(address_ + at_++) : -1; }
  size_t write(uint8_t) override { return 0; }

 private:
  uint32_t address_;
  uint16_t size_;
  uint16_t at_;
  bool found_;
};

// The card: "/<name>" opens the file of that name.
struct FlashCard {
  FlashFile open(const char* path) {
    uint32_t address;
    uint16_t size;
    if (!cardFile(path + 1, address, size)) return FlashFile();
    return FlashFile(address, size, true);
  }
} card;

// The most stack and time one call of a kind took.
struct Figures {
  const char* call;
  uint16_t stack;
  unsigned long micros;
};
Figures figures[] = {
    {"centers", 0, 0}, {"offices", 0, 0}, {"municipalities", 0, 0}, {"areaCode", 0, 0}};

extern uint8_t __heap_start;
const uint8_t kPaint = 0xA5;

// Paints the free memory below this function's frame, to see afterwards how deep a call went.
void __attribute__((noinline)) paintStack() {
  uint8_t here;
  for (uint8_t* p = &__heap_start; p < &here - 16; p++) *p = kPaint;
}

uint8_t* lowestTouched() {
  uint8_t* p = &__heap_start;
  while (*p == kPaint) p++;
  return p;
}

// The call, kept out of line: inlined into its caller, the callee's frame would lie above the
// stack pointer that measure() reads.
template <typename Call>
void __attribute__((noinline)) run(Call& call) {
  call();
}

template <typename Call>
void measure(Figures& figure, Call call) {
  paintStack();
  uint8_t* top = reinterpret_cast<uint8_t*>(SP);
  unsigned long start = micros();
  run(call);
  unsigned long took = micros() - start;
  uint16_t stack = static_cast<uint16_t>(top - lowestTouched());
  if (stack > figure.stack) figure.stack = stack;
  if (took > figure.micros) figure.micros = took;
}
