#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "platform/file_host.h"
#include "platform/platform.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>

// The page's glue reads the failure's name from the instance once the run has ended.
EM_JS(void, hand_failure_name_to_page, (const char* name),
      { Module["failure"] = UTF8ToString(name); });
#endif

namespace parcelo::platform {

namespace {

// The temporary file being written, for the signal handler. Both change only while the signals
// that interrupt a run are blocked, so that the handler never sees half a name.
char pending_temp[PATH_MAX + 32];
volatile sig_atomic_t has_pending_temp = 0;

FileIdentity identity_of(const struct stat& file) {
#ifdef __APPLE__  // the same time under the name macOS gives it
  const timespec& modified = file.st_mtimespec;
#else
  const timespec& modified = file.st_mtim;
#endif
  FileIdentity identity;
  identity.parts = {
      static_cast<std::uint64_t>(file.st_dev), static_cast<std::uint64_t>(file.st_ino),
      static_cast<std::uint64_t>(file.st_size), static_cast<std::uint64_t>(modified.tv_sec),
      static_cast<std::uint64_t>(modified.tv_nsec)};
  return identity;
}

constexpr int kInterrupting[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t interrupting_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int number : kInterrupting) sigaddset(&set, number);
  return set;
}

// Keeps the interrupting signals waiting for as long as it lives.
class SignalsHeld {
 public:
  SignalsHeld() {
    const sigset_t held = interrupting_signals();
    sigprocmask(SIG_BLOCK, &held, &before_);
  }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &before_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t before_;
};

// Async-signal-safe: removes the temporary file, then ends the process as the signal would.
void end_interrupted(int signal_number) {
  if (has_pending_temp) unlink(pending_temp);
  signal(signal_number, SIG_DFL);
  raise(signal_number);
}

// A descriptor open for writing, closed when dropped.
class PosixFile : public OpenFile {
 public:
  explicit PosixFile(int descriptor) : descriptor_(descriptor) {}
  ~PosixFile() override {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  // A file system without permission bits (FAT) refuses the change: the file is whole anyway.
  void keep_permissions(const PathInfo& like) override { fchmod(descriptor_, like.mode); }

  bool write_all(std::string_view text) override {
    while (!text.empty()) {
      const ssize_t n = write(descriptor_, text.data(), text.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  bool close(FileIdentity& made) override {
    struct stat status;
    const bool told = fstat(descriptor_, &status) == 0;
    if (told) made = identity_of(status);
    const bool closed = ::close(descriptor_) == 0;
    descriptor_ = -1;
    return told && closed;
  }

 private:
  int descriptor_;
};

class PosixHost : public FileHost {
 public:
  PathInfo describe(const std::string& path) override {
    PathInfo info;
    struct stat existing;
    if (lstat(path.c_str(), &existing) != 0) {
      info.kind = errno == ENOENT ? PathKind::kNothing : PathKind::kUnknown;
      return info;
    }
    info.kind = S_ISREG(existing.st_mode) ? PathKind::kFile : PathKind::kOther;
    info.writable = faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    info.links = static_cast<std::uint32_t>(existing.st_nlink);
    info.mode = existing.st_mode & 07777;
    info.identity = identity_of(existing);
    return info;
  }

  Created create_temporary(const std::string& path, std::unique_ptr<OpenFile>& file) override {
    if (path.size() >= sizeof pending_temp) return Created::kFailed;
    SignalsHeld held;
    std::memcpy(pending_temp, path.c_str(), path.size() + 1);
    const int descriptor =
        open(pending_temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    has_pending_temp = descriptor >= 0;
    if (descriptor < 0) return errno == EEXIST ? Created::kExists : Created::kFailed;
    file = std::make_unique<PosixFile>(descriptor);
    return Created::kCreated;
  }

  std::unique_ptr<OpenFile> open_existing(const std::string& path) override {
    const int descriptor =
        open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    return std::make_unique<PosixFile>(descriptor);
  }

  bool rename_temporary(const std::string& path) override {
    SignalsHeld held;
    const bool renamed = rename(pending_temp, path.c_str()) == 0;
    if (renamed) has_pending_temp = 0;
    return renamed;
  }

  void remove_temporary() override {
    SignalsHeld held;
    unlink(pending_temp);
    has_pending_temp = 0;
  }

  void remove(const std::string& path) override { unlink(path.c_str()); }

  unsigned long process_id() override { return static_cast<unsigned long>(getpid()); }
};

}  // namespace

void prepare_process() {
  signal(SIGPIPE, SIG_IGN);
  signal(SIGXFSZ, SIG_IGN);
  struct sigaction action = {};
  action.sa_handler = end_interrupted;
  action.sa_mask = interrupting_signals();
  action.sa_flags = SA_RESTART;
  for (const int signal_number : kInterrupting) {
    struct sigaction before;
    // A signal ignored from the start (nohup) stays ignored.
    if (sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
      sigaction(signal_number, &action, nullptr);
    }
  }
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

FileHost& this_host() {
  static PosixHost host;
  return host;
}

void write_console(Stream stream, std::string_view text) {
  std::FILE* file = stream == Stream::kOut ? stdout : stderr;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
}

void name_failure([[maybe_unused]] const char* name) {
#ifdef __EMSCRIPTEN__
  hand_failure_name_to_page(name);
#endif
}

}  // namespace parcelo::platform
