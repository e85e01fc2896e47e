#ifndef PARCELO_OUTPUT_CONSOLE_H_
#define PARCELO_OUTPUT_CONSOLE_H_

#include <string_view>

namespace parcelo {

// Every console text of the tool, each in one place. They are the console's own text, kept
// apart from the UTF-8 strings that go into the files, so that a build for another console
// code page changes this file's encoding and nothing else.
extern const char* const kCannotOpenInput;
extern const char* const kParseError;
extern const char* const kMissingTables;
extern const char* const kMalformedList;
extern const char* const kUnsafeOfficeCode;
extern const char* const kCannotOpenOutput;
extern const char* const kCannotWriteOutput;
extern const char* const kOutOfMemory;
extern const char* const kUnexpectedError;

// Prints the banner and the usage line, with `program` as the program path, through printf.
void print_start_up(const char* program);

// Prints "<path> を生成しました。" and a line end to standard output, and flushes.
void report_written(std::string_view path);

// Prints `message`, then `detail`, and a line end to standard error, and flushes.
void report_failure(const char* message, std::string_view detail = {});

}  // namespace parcelo

#endif  // PARCELO_OUTPUT_CONSOLE_H_
