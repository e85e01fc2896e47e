#ifndef PARCELO_OUTPUT_CONSOLE_H_
#define PARCELO_OUTPUT_CONSOLE_H_

#include <string_view>

namespace parcelo {

// Every console text of the tool is in console.cc, each in one place, in UTF-8 like everything
// else inside the tool; the host's console code turns it into what its console or a redirected
// stream shows.

// The ways a run fails. Code tells them apart by these names, never by their texts; each has
// one text, which the console shows, and one stable name, which a program embedding the tool
// (the page) is handed.
enum class FailureKind {
  kCannotOpenInput,    // the list cannot be opened
  kNotJson,            // the list is not JSON (or holds a number too large for a double)
  kCutOff,             // the list ends inside its JSON value: cut off, or empty
  kMissingTables,      // JSON without "centers" and "offices"
  kMalformedList,      // a record of a shape the run cannot read
  kUnsafeOfficeCode,   // an office code that cannot name its file
  kCannotOpenOutput,   // an output file cannot be made
  kCannotWriteOutput,  // an output file cannot be written whole
  kOutOfMemory,
  kUnexpected,  // anything else thrown
};

// The text the console shows for `kind`, which its detail follows.
const char* failure_text(FailureKind kind);

// The stable name of `kind`, in lower case with hyphens ("cut-off").
const char* failure_name(FailureKind kind);

// Where a run's console texts go: the host's console (host_console), or a test's record of it.
class Console {
 public:
  virtual ~Console() = default;
  // Writes UTF-8 `text` to standard output, or to standard error, and flushes it.
  virtual void out(std::string_view text) = 0;
  virtual void error(std::string_view text) = 0;
  // Hands the name of the failure the run reports to a program embedding the tool.
  virtual void name_failure(const char* name) = 0;
};

// The console of this process (platform::write_console, platform::name_failure).
Console& host_console();

// Prints the banner and the usage line, with `program` as the program path, to standard output.
void print_start_up(Console& console, std::string_view program);

// Prints the program's name and version, and its licence, to standard output.
void print_version(Console& console);

// Prints the banner, the usage line with `program`, and what the arguments are, what is written,
// the exit statuses and where the agency publishes its list, to standard output.
void print_help(Console& console, std::string_view program);

// Prints "<path> を生成しました。" and a line end to standard output, and flushes.
void report_written(Console& console, std::string_view path);

// Prints the text of `kind`, then `detail`, and a line end to standard error, and flushes;
// hands the failure's name to an embedding program. Allocates nothing for short details on the
// host's console.
void report_failure(Console& console, FailureKind kind, std::string_view detail = {});

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_CONSOLE_H_
