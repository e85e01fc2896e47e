// Stand-in for the ESP32 core's FS.h, on the Arduino core's own Stream: an fs::FS whose files lie
// in a folder of the host.
#pragma once

#include <Arduino.h>

#include <memory>
#include <string>

namespace fs {

class FileImpl;

class File : public Stream {
 public:
  File() = default;
  explicit File(std::shared_ptr<FileImpl> impl) : impl_(std::move(impl)) {}
  explicit operator bool() const { return impl_ != nullptr; }
  int available() override;
  int read() override;
  int peek() override;
  size_t read(uint8_t* buffer, size_t size);
  size_t write(uint8_t c) override;
  bool isDirectory() const;
  void close();

 private:
  std::shared_ptr<FileImpl> impl_;
};

class FS {
 public:
  // Host folder that stands for the file system's root.
  explicit FS(std::string root = "") : root_(std::move(root)) {}
  void setRoot(std::string root) { root_ = std::move(root); }
  File open(const char* path, const char* mode = "r", bool create = false);
  bool exists(const char* path);

 private:
  std::string root_;
};

}  // namespace fs

using fs::File;
