#ifndef PARCELO_PLATFORM_PLATFORM_H_
#define PARCELO_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

// What differs from host to host: the arguments, opening files, the console, signals and the
// heap. Strings are UTF-8 on both sides of this seam; a host that wants another encoding
// converts at the call. One implementation per host: posix.cc and windows.cc.
namespace parcelo::platform {

// Readies the process for a run: a reader that goes away (SIGPIPE) or a file-size limit
// (SIGXFSZ) turn into failed writes instead of ending the process.
void prepare_process();

// Returns the command-line arguments as UTF-8, argument 0 first.
std::vector<std::string> arguments(int argc, char** argv);

// Opens the file at `path` for reading into `stream`. Returns false, with `stream` closed, when
// the file cannot be opened or is a folder.
bool open_for_reading(const std::string& path, std::ifstream& stream);

// Returns the size of the file at `path`, or 0 when it cannot be told.
std::uintmax_t file_size(const std::string& path);

// Creates the file at `path`, or truncates the one there, for writing in text mode (a line feed
// becomes the host's line end). Returns nullptr when it cannot: also when a symbolic link stands
// at `path`, which is never followed, so that nothing outside the folder is written through it.
// A link among the folders above `path` is followed. The caller closes the file.
std::FILE* open_for_writing(const std::string& path);

// Removes the file at `path`, if it can; reports nothing.
void remove_file(const std::string& path);

// Returns true when the host opens a device, not a file, for a file named `name` plus an
// extension: on Windows, when names_windows_device(name).
bool names_host_device(std::string_view name);

// Returns true when Windows would open a device for a file named `name` plus an extension: CON,
// PRN, AUX, NUL, COM1 to COM9 or LPT1 to LPT9 in any letter case, before the first "." and
// any blanks ahead of it. Built on every host, so that every host can test it.
bool names_windows_device(std::string_view name);

enum class Stream { kOut, kError };

// Writes UTF-8 `text` to standard output or standard error and flushes it, so that it reads
// correctly on the console, or reaches a redirected stream in the host's console encoding. A
// stream that has been closed is ignored. Allocates nothing for short texts, so that it can
// report that memory has run out.
void write_console(Stream stream, std::string_view text);

// Prepares the heap for the document parsed from a list of `list_bytes` bytes, where the host
// gains from it (glibc: one growth to the expected size, backed by huge pages). Never fails.
void prepare_heap(std::uintmax_t list_bytes);

}  // namespace parcelo::platform

#endif  // PARCELO_PLATFORM_PLATFORM_H_
