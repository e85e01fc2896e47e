#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <filesystem>

#include "platform/file_host.h"
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

// The temporary file being written, for the console handler, which runs on a thread of its own.
std::wstring pending_temp;
std::atomic<bool> has_pending_temp{false};

// Volume serial number, file index and size.
FileIdentity identity_of(const BY_HANDLE_FILE_INFORMATION& info) {
  FileIdentity identity;
  identity.parts = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
                    info.nFileSizeHigh, info.nFileSizeLow};
  return identity;
}

// Reads what the file at `path` is without opening it for reading or writing. Returns false when
// it is not a file on a disk.
bool identify(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
  const HANDLE handle =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool known =
      GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  return known;
}

// A file open for writing in the C runtime's text mode (CR LF line ends), closed when dropped.
class WindowsFile : public OpenFile {
 public:
  // Wraps `handle`; null, with the handle closed, when the C runtime cannot take it.
  static std::unique_ptr<OpenFile> open_text(HANDLE handle) {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT);
    std::FILE* file = descriptor < 0 ? nullptr : _fdopen(descriptor, "w");
    if (file == nullptr) {
      if (descriptor < 0)
        CloseHandle(handle);
      else
        _close(descriptor);
      return nullptr;
    }
    return std::unique_ptr<OpenFile>(new WindowsFile(handle, file));
  }
  ~WindowsFile() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  WindowsFile(const WindowsFile&) = delete;
  WindowsFile& operator=(const WindowsFile&) = delete;

  void keep_permissions(const PathInfo&) override {}  // NTFS keeps no permission bits

  bool write_all(std::string_view text) override {
    return std::fwrite(text.data(), 1, text.size(), file_) == text.size() &&
           std::fflush(file_) == 0;
  }

  bool close(FileIdentity& made) override {
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool told = GetFileInformationByHandle(handle_, &info) != 0;
    made = identity_of(info);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return told && closed;
  }

 private:
  WindowsFile(HANDLE handle, std::FILE* file) : handle_(handle), file_(file) {}

  HANDLE handle_;
  std::FILE* file_;
};

class WindowsHost : public FileHost {
 public:
  PathInfo describe(const std::string& path) override {
    PathInfo info;
    const std::wstring target = host_path(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      // Nothing there only where Windows says so; a look that fails otherwise (access denied, a
      // disk that cannot be read) cannot tell, and nothing is written over what may be there.
      const DWORD error = GetLastError();
      const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
      info.kind = missing ? PathKind::kNothing : PathKind::kUnknown;
      return info;
    }
    // A link, a folder or a device is no file to replace; nor is what is not a file on a disk.
    constexpr DWORD kNotAFile =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    BY_HANDLE_FILE_INFORMATION existing = {};
    info.kind = (attributes & kNotAFile) != 0 || !identify(target, existing) ? PathKind::kOther
                                                                             : PathKind::kFile;
    info.writable = (attributes & FILE_ATTRIBUTE_READONLY) == 0;
    info.links = existing.nNumberOfLinks;
    info.identity = identity_of(existing);
    return info;
  }

  Created create_temporary(const std::string& path, std::unique_ptr<OpenFile>& file) override {
    pending_temp = host_path(path);
    // Shared for deletion, so that the console handler can remove it while it is open.
    const HANDLE handle = CreateFileW(pending_temp.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      return GetLastError() == ERROR_FILE_EXISTS ? Created::kExists : Created::kFailed;
    }
    has_pending_temp = true;
    file = WindowsFile::open_text(handle);
    if (file) return Created::kCreated;
    remove_temporary();
    return Created::kFailed;
  }

  std::unique_ptr<OpenFile> open_existing(const std::string& path) override {
    const HANDLE handle = CreateFileW(host_path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                      nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return WindowsFile::open_text(handle);
  }

  bool rename_temporary(const std::string& path) override {
    const bool renamed =
        MoveFileExW(pending_temp.c_str(), host_path(path).c_str(), MOVEFILE_REPLACE_EXISTING);
    if (renamed) has_pending_temp = false;
    return renamed;
  }

  void remove_temporary() override {
    has_pending_temp = false;
    DeleteFileW(pending_temp.c_str());
  }

  void remove(const std::string& path) override { DeleteFileW(host_path(path).c_str()); }

  unsigned long process_id() override { return GetCurrentProcessId(); }
};

// Ctrl-C, Ctrl-Break or the console closing: the temporary file goes, then the default handler
// ends the process.
BOOL WINAPI end_interrupted(DWORD) {
  if (has_pending_temp) DeleteFileW(pending_temp.c_str());
  return FALSE;
}

}  // namespace

void prepare_process() { SetConsoleCtrlHandler(end_interrupted, TRUE); }

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

FileHost& this_host() {
  static WindowsHost host;
  return host;
}

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

void name_failure(const char*) {}  // a console program: the text says it

}  // namespace parcelo::platform
