#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace parcelo::platform {

void prepare_process() {
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
}

std::vector<std::string> arguments(int argc, char** argv) { return {argv, argv + argc}; }

bool open_for_reading(const std::string& path, std::ifstream& stream) {
  struct stat status;
  if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return false;
  stream.open(path);
  return stream.is_open();
}

std::uintmax_t file_size(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 ? static_cast<std::uintmax_t>(status.st_size) : 0;
}

std::FILE* open_for_writing(const std::string& path) {
  const int descriptor =
      open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (descriptor < 0) return nullptr;
  std::FILE* file = fdopen(descriptor, "w");
  if (file == nullptr) {  // the file is there, empty: take it away again
    close(descriptor);
    unlink(path.c_str());
  }
  return file;
}

void remove_file(const std::string& path) { unlink(path.c_str()); }

bool names_host_device(std::string_view) { return false; }

void write_console(Stream stream, std::string_view text) {
  std::FILE* file = stream == Stream::kOut ? stdout : stderr;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
}

}  // namespace parcelo::platform
