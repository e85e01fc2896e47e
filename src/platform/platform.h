#ifndef PARCELO_PLATFORM_PLATFORM_H_
#define PARCELO_PLATFORM_PLATFORM_H_

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

// What differs from host to host: the arguments, reading and writing files, the console, signals
// and the heap. Strings are UTF-8 on both sides of this seam; a host that wants another encoding
// converts at the call. One implementation per host: posix.cc and windows.cc.
namespace parcelo::platform {

// Readies the process for a run: a reader that goes away (SIGPIPE) or a file-size limit
// (SIGXFSZ) turn into failed writes instead of ending the process, and an interrupted run
// (Ctrl-C, SIGTERM, SIGHUP; a console's close on Windows) first removes the temporary file of
// write_whole_file, then ends as the signal would. A signal ignored from the start (nohup)
// stays ignored.
void prepare_process();

// Returns the command-line arguments as UTF-8, argument 0 first.
std::vector<std::string> arguments(int argc, char** argv);

// Opens the file at `path` for reading into `stream`. Returns false, with `stream` closed, when
// the file cannot be opened or is a folder.
bool open_for_reading(const std::string& path, std::ifstream& stream);

// Returns the size of the file at `path`, or 0 when it cannot be told.
std::uintmax_t file_size(const std::string& path);

// How a write of a whole file went (file_host.h: write_whole_file).
enum class FileWrite {
  kWritten,         // the whole text stands at the path
  kCannotOpen,      // what stands at the path is not a file to replace, or no file could be made
                    // or renamed there: the path holds what it held
  kCannotWrite,     // writing failed (a full disk, a file-size limit)
  kRefusedOwnFile,  // refused, nothing written: the path names a file this process wrote (the
                    // file system merged two names)
};

// Returns true when Windows would open a device for a file named `name` plus an extension: CON,
// PRN, AUX, NUL, COM0 to COM9, COM¹ to COM³, LPT0 to LPT9 or LPT¹ to LPT³ in any letter case,
// before the first "." and any blanks ahead of it. The same on every host, so that one list
// gives the same files everywhere.
bool names_windows_device(std::string_view name);

// Returns the path of temporary file `serial` of process `process` for the file at `path`: in the
// same folder, named ".parcelo-<process>-<serial>", so that it starts with "." and never ends in
// ".json", whatever the office codes. The same on every host.
std::string temporary_path(const std::string& path, unsigned long process, unsigned serial);

enum class Stream { kOut, kError };

// Writes UTF-8 `text` to standard output or standard error and flushes it, so that it reads
// correctly on the console, or reaches a redirected stream in the host's console encoding. A
// stream that has been closed is ignored. Allocates nothing for short texts, so that it can
// report that memory has run out.
void write_console(Stream stream, std::string_view text);

// Hands `name`, the name of the failure the run reports, to the program embedding the tool:
// the page's glue finds it as the instance's `failure`. Nothing where the tool runs alone.
void name_failure(const char* name);

// Prepares the heap for the document parsed from a list of `list_bytes` bytes, where the host
// gains from it (glibc: one growth to the expected size, backed by huge pages). Never fails.
void prepare_heap(std::uintmax_t list_bytes);

}  // namespace parcelo::platform

#endif  // PARCELO_PLATFORM_PLATFORM_H_
