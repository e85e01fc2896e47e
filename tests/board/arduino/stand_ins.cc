#include <M5Unified.h>
#include <SD.h>
#include <sys/stat.h>

#include <cstdio>

namespace fs {

class FileImpl {
 public:
  FileImpl(FILE* file, bool directory) : file_(file), directory_(directory) {}
  ~FileImpl() {
    if (file_ != nullptr) fclose(file_);
  }
  FILE* file() const { return file_; }
  bool directory() const { return directory_; }

 private:
  FILE* file_;
  bool directory_;
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

bool File::isDirectory() const { return impl_ && impl_->directory(); }

File FS::open(const char* path, const char*, bool) {
  std::string host = root_ + path;
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

void delay(unsigned long) {}
