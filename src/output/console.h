#ifndef PARCELO_OUTPUT_CONSOLE_H_
#define PARCELO_OUTPUT_CONSOLE_H_

#include <optional>
#include <string>
#include <string_view>

namespace parcelo {

// Every console text of the tool, each in one place, in UTF-8 like everything else inside the
// tool; the host's console code turns it into what its console or a redirected stream shows.
extern const char* const kCannotOpenInput;
extern const char* const kParseError;
extern const char* const kMissingTables;
extern const char* const kMalformedList;
extern const char* const kUnsafeOfficeCode;
extern const char* const kCannotOpenOutput;
extern const char* const kCannotWriteOutput;
extern const char* const kOutOfMemory;
extern const char* const kUnexpectedError;

// Prints the banner and the usage line, with `program` as the program path, to standard output.
void print_start_up(std::string_view program);

// Prints the program's name and version, and its licence, to standard output.
void print_version();

// Prints the banner, the usage line with `program`, and what the arguments are, what is written,
// the exit statuses and where the agency publishes its list, to standard output.
void print_help(std::string_view program);

// Prints "<path> を生成しました。" and a line end to standard output, and flushes.
void report_written(std::string_view path);

// Prints `message`, then `detail`, and a line end to standard error, and flushes.
void report_failure(const char* message, std::string_view detail = {});

// Why a step of the run failed: one of the messages above and its detail, which the run
// reports. A step that succeeds returns no Failure.
struct Failure {
  const char* message;
  std::string detail;
};
using Outcome = std::optional<Failure>;

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_CONSOLE_H_
