#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <io.h>
#include <shellapi.h>

#include <filesystem>

#include "platform/platform.h"

namespace parcelo::platform {

namespace {

constexpr UINT kShiftJis = 932;
constexpr size_t kShortText = 512;  // bytes of UTF-8 converted without allocating

std::wstring to_wide(std::string_view utf8) {
  const int size = static_cast<int>(utf8.size());
  std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

std::string to_utf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string utf8(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back();  // the terminating NUL
  return utf8;
}

// The path as Windows opens it. One too long for the plain calls becomes absolute, with "\\?\"
// before it, which lifts the limit of 259 characters.
std::wstring host_path(const std::string& utf8) {
  std::wstring path = to_wide(utf8);
  if (path.size() < MAX_PATH - 12) return path;  // room for a file name of 8.3 characters
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
  if (full.rfind(L"\\\\?\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// Converts UTF-8 `text` to UTF-16, into `buffer` when it fits there, else into `heap`.
std::wstring_view widen(std::string_view text, wchar_t (&buffer)[kShortText], std::wstring& heap) {
  if (text.size() > kShortText) return heap = to_wide(text);
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       buffer, static_cast<int>(kShortText));
  return {buffer, static_cast<size_t>(size)};
}

// Converts `wide` to code page 932, into `buffer` when it fits there, else into `heap`. A
// character the code page lacks becomes one "?", also one outside the Basic Multilingual Plane,
// and never a look-alike ("e" for "é"), so that a log shows where a character was lost.
std::string_view to_shift_jis(std::wstring_view wide, char (&buffer)[2 * kShortText],
                              std::string& heap) {
  char* out = buffer;
  size_t room = sizeof buffer;
  if (wide.size() > kShortText) {
    heap.resize(2 * wide.size());
    out = heap.data();
    room = heap.size();
  }
  size_t size = 0;
  for (size_t i = 0; i < wide.size(); ++i) {
    const bool pair =
        IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
    if (pair) {
      out[size++] = '?';
      ++i;
      continue;
    }
    const int n = WideCharToMultiByte(kShiftJis, WC_NO_BEST_FIT_CHARS, &wide[i], 1, out + size,
                                      static_cast<int>(room - size), "?", nullptr);
    size += n > 0 ? n : 0;
  }
  return {out, size};
}

}  // namespace

void prepare_process() {}

std::vector<std::string> arguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> utf8;
  if (wide == nullptr) return utf8;
  for (int i = 0; i < count; ++i) utf8.push_back(to_utf8(wide[i]));
  LocalFree(wide);
  return utf8;
}

bool open_for_reading(const std::string& path, std::ifstream& stream) {
  const std::wstring wide = host_path(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  stream.open(std::filesystem::path(wide));
  return stream.is_open();
}

std::uintmax_t file_size(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(host_path(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return (std::uintmax_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::FILE* open_for_writing(const std::string& path) {
  const std::wstring wide = host_path(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return nullptr;  // a symbolic link or junction: not followed
  }
  return _wfopen(wide.c_str(), L"w");
}

void remove_file(const std::string& path) { _wremove(host_path(path).c_str()); }

bool names_host_device(std::string_view file_name) { return names_windows_device(file_name); }

// A console shows UTF-16 whatever its code page. A redirected stream gets code page 932 bytes,
// which logs and scripts of Japanese Windows expect, through the C runtime's text mode (CR LF).
void write_console(Stream stream, std::string_view text) {
  const HANDLE handle = GetStdHandle(stream == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  wchar_t wide_buffer[kShortText];
  std::wstring wide_heap;
  const std::wstring_view wide = widen(text, wide_buffer, wide_heap);
  DWORD mode = 0;
  if (GetConsoleMode(handle, &mode)) {
    DWORD written = 0;
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  char buffer[2 * kShortText];
  std::string heap;
  const std::string_view bytes = to_shift_jis(wide, buffer, heap);
  std::FILE* file = stream == Stream::kOut ? stdout : stderr;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fflush(file);
}

}  // namespace parcelo::platform
