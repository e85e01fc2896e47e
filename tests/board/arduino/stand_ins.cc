// What the host check stands in for: the ESP32 core's file system over a host folder, Wi-Fi and
// its clock, M5Unified's screen and buttons, the clock, and the number conversions
// of avr-libc.
#include <M5Unified.h>
#include <SD.h>
#include <WiFi.h>
#include <sys/stat.h>
#include <time.h>

#include <cstdio>

#include "../check.h"

bool counting = false;
int allocations = 0;

namespace fs {

class FileImpl {
 public:
  // The file's buffer is its own, so that stdio allocates none while the library reads.
  FileImpl(FILE* file, bool directory) : file_(file), directory_(directory) {
    if (file_ != nullptr) setvbuf(file_, buffer_, _IOFBF, sizeof buffer_);
  }
  ~FileImpl() {
    if (file_ != nullptr) fclose(file_);
  }
  FILE* file() const { return file_; }
  bool directory() const { return directory_; }

 private:
  FILE* file_;
  bool directory_;
  char buffer_[BUFSIZ];
};

int File::available() {
  if (!impl_ || impl_->file() == nullptr) return 0;
  int c = peek();
  return c < 0 ? 0 : 1;
}

int File::read() {
  if (!impl_ || impl_->file() == nullptr) return -1;
  return getc(impl_->file());
}

int File::peek() {
  if (!impl_ || impl_->file() == nullptr) return -1;
  int c = getc(impl_->file());
  if (c >= 0) ungetc(c, impl_->file());
  return c;
}

size_t File::read(uint8_t* buffer, size_t size) {
  if (!impl_ || impl_->file() == nullptr) return 0;
  return fread(buffer, 1, size, impl_->file());
}

size_t File::write(uint8_t c) {
  if (!impl_ || impl_->file() == nullptr) return 0;
  return putc(c, impl_->file()) == EOF ? 0 : 1;
}

bool File::isDirectory() const { return impl_ && impl_->directory(); }

void File::close() {
  Paused paused;
  impl_.reset();
}

File FS::open(const char* path, const char* mode, bool) {
  Paused paused;
  std::string host = root_ + path;
  bool writing = mode[0] == 'w';
  FILE* written = writing ? fopen(host.c_str(), "wb") : nullptr;
  if (writing)
    return written == nullptr ? File() : File(std::make_shared<FileImpl>(written, false));
  struct stat status;
  if (stat(host.c_str(), &status) != 0) return File();
  bool directory = S_ISDIR(status.st_mode);
  FILE* file = directory ? nullptr : fopen(host.c_str(), "rb");
  if (!directory && file == nullptr) return File();
  return File(std::make_shared<FileImpl>(file, directory));
}

bool FS::exists(const char* path) {
  struct stat status;
  return stat((root_ + path).c_str(), &status) == 0;
}

}  // namespace fs

fs::SDFS SD;
M5Unified M5;
const IFont fonts::lgfxJapanGothic_16{};

void M5Unified::update() {
  char press = presses.empty() ? ' ' : presses[0];
  if (!presses.empty()) presses.erase(0, 1);
  BtnA.set(press == 'A');
  BtnB.set(press == 'B');
  BtnC.set(press == 'C');
}

HostSerial Serial;
WiFiClass WiFi;
void configTime(long, int, const char*, const char*) {}

// Japan's time as the test sets it (PARCELO_NOW, "2024-01-11T11:20"); unset, the clock is not.
bool getLocalTime(struct tm* info, uint32_t) {
  const char* now = getenv("PARCELO_NOW");
  if (now == nullptr) return false;
  *info = tm();
  sscanf(now, "%d-%d-%dT%d:%d", &info->tm_year, &info->tm_mon, &info->tm_mday, &info->tm_hour,
         &info->tm_min);
  info->tm_year -= 1900;
  info->tm_mon -= 1;
  mktime(info);
  return true;
}

int HostSerial::available() { return peek() < 0 ? 0 : 1; }
int HostSerial::read() { return getchar(); }
int HostSerial::peek() {
  int c = getchar();
  if (c >= 0) ungetc(c, stdin);
  return c;
}
size_t HostSerial::write(uint8_t c) { return putchar(c) == EOF ? 0 : 1; }

// The board's clock, run PARCELO_CLOCK_SCALE times as fast where the test sets it, so that a
// minute's deadline passes in a few seconds.
unsigned long millis() {
  static const long scale = getenv("PARCELO_CLOCK_SCALE") ? atol(getenv("PARCELO_CLOCK_SCALE")) : 1;
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<unsigned long>((now.tv_sec * 1000 + now.tv_nsec / 1000000) * scale);
}

void delay(unsigned long) {}
void yield() {}

namespace {

template <typename Number>
char* format(Number value, char* text, int base, bool negative) {
  char digits[72];
  int count = 0;
  do {
    digits[count++] = "0123456789abcdefghijklmnopqrstuvwxyz"[value % base];
    value /= base;
  } while (value != 0);
  char* out = text;
  if (negative) *out++ = '-';
  while (count > 0) *out++ = digits[--count];
  *out = '\0';
  return text;
}

}  // namespace

// avr-libc's conversions, which the core's WString calls.
char* ultoa(unsigned long value, char* text, int base) { return format(value, text, base, false); }
char* utoa(unsigned value, char* text, int base) { return ultoa(value, text, base); }
char* ltoa(long value, char* text, int base) {
  unsigned long magnitude = value < 0 ? 0 - static_cast<unsigned long>(value) : value;
  return format(magnitude, text, base, value < 0 && base == 10);
}
char* itoa(int value, char* text, int base) { return ltoa(value, text, base); }
char* dtostrf(double value, signed char width, unsigned char precision, char* text) {
  sprintf(text, "%*.*f", width, precision, value);
  return text;
}
