#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <tuple>

#include "platform/platform.h"

namespace parcelo::platform {

namespace {

// The temporary file being written, for the signal handler. Both change only while the signals
// that interrupt a run are blocked, so that the handler never sees half a name.
char pending_temp[PATH_MAX + 32];
volatile sig_atomic_t has_pending_temp = 0;

// Every file this process wrote, as it left it. Besides device and inode, its size and time of
// change: another process may replace the file, and its inode number then comes back on a new
// file, which is not this run's.
using FileIdentity = std::tuple<dev_t, ino_t, off_t, time_t, long>;
std::set<FileIdentity> written_by_this_run;

FileIdentity identity_of(const struct stat& file) {
#ifdef __APPLE__  // the same time under the name macOS gives it
  const timespec& modified = file.st_mtimespec;
#else
  const timespec& modified = file.st_mtim;
#endif
  return {file.st_dev, file.st_ino, file.st_size, modified.tv_sec, modified.tv_nsec};
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

bool write_all(int descriptor, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = write(descriptor, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Writes `text` over the file at `path` itself: for a folder where no file can be created.
FileWrite write_in_place(const std::string& path, std::string_view text) {
  const int descriptor =
      open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return FileWrite::kCannotOpen;
  struct stat made;
  const bool written = write_all(descriptor, text) && fstat(descriptor, &made) == 0;
  if (close(descriptor) != 0 || !written) {
    unlink(path.c_str());
    return FileWrite::kCannotWrite;
  }
  written_by_this_run.insert(identity_of(made));
  return FileWrite::kWritten;
}

// Creates the temporary file beside `path`, new to this run, as a plain create would (0666 less
// the umask), and records its name for the signal handler. Returns its descriptor, or -1.
int create_temp(const std::string& path) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = temporary_path(path, getpid(), serial++);
    if (temp.size() >= sizeof pending_temp) return -1;
    SignalsHeld held;
    std::memcpy(pending_temp, temp.c_str(), temp.size() + 1);
    const int descriptor =
        open(pending_temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    has_pending_temp = descriptor >= 0;
    if (descriptor >= 0 || errno != EEXIST) return descriptor;
  }
  return -1;
}

void discard_temp() {
  SignalsHeld held;
  unlink(pending_temp);
  has_pending_temp = 0;
}

// Renames the temporary file over `path`; returns false, with the file removed, when it cannot.
bool rename_temp(const std::string& path) {
  SignalsHeld held;
  const bool renamed = rename(pending_temp, path.c_str()) == 0;
  if (!renamed) unlink(pending_temp);
  has_pending_temp = 0;
  return renamed;
}

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

FileWrite write_whole_file(const std::string& path, std::string_view text) {
  struct stat existing;
  const bool exists = lstat(path.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return FileWrite::kCannotOpen;
  if (exists) {
    // Never opened: a FIFO would block, a device or a hard link would be written through.
    if (!S_ISREG(existing.st_mode) || faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
      return FileWrite::kCannotOpen;
    }
    if (written_by_this_run.count(identity_of(existing)) != 0) {
      return FileWrite::kWrittenByThisRun;
    }
  }
  const int descriptor = create_temp(path);
  if (descriptor < 0) {
    const bool alone = exists && existing.st_nlink == 1;
    return alone ? write_in_place(path, text) : FileWrite::kCannotOpen;
  }
  // A replaced file keeps its permission bits. A file system without them (FAT) refuses the
  // change: the file is whole anyway.
  if (exists) fchmod(descriptor, existing.st_mode & 07777);
  struct stat made;
  const bool written = write_all(descriptor, text) && fstat(descriptor, &made) == 0;
  if (close(descriptor) != 0 || !written) {
    discard_temp();
    return FileWrite::kCannotWrite;
  }
  if (!rename_temp(path)) return FileWrite::kCannotOpen;
  written_by_this_run.insert(identity_of(made));
  return FileWrite::kWritten;
}

void write_console(Stream stream, std::string_view text) {
  std::FILE* file = stream == Stream::kOut ? stdout : stderr;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fflush(file);
}

}  // namespace parcelo::platform
