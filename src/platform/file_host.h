#ifndef PARCELO_PLATFORM_FILE_HOST_H_
#define PARCELO_PLATFORM_FILE_HOST_H_

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "platform/platform.h"

// Writing a whole file, split in two: the host's file system gives a few primitives (FileHost,
// one implementation per host, and a fake one in the tests), and write_whole_file makes every
// decision above them, the same on every host.
namespace parcelo::platform {

// What a file system tells apart files by, as a file was left: on POSIX its device, inode,
// size and time of change; on Windows its volume, file index and size. Another process may
// replace a file and its number then come back on a new file, which is why the size is part.
struct FileIdentity {
  std::array<std::uint64_t, 5> parts{};
  bool operator<(const FileIdentity& other) const { return parts < other.parts; }
};

enum class PathKind {
  kNothing,  // no entry at the path
  kFile,     // a regular file
  kOther,    // a folder, a link, a FIFO, a socket, a device
  kUnknown,  // the host cannot tell (the folder cannot be read, the path is too long)
};

struct PathInfo {
  PathKind kind = PathKind::kNothing;
  bool writable = false;    // the user may write the file
  std::uint32_t links = 0;  // hard links to the file
  std::uint32_t mode = 0;   // its permission bits, where the host keeps them
  FileIdentity identity;
};

enum class Created { kCreated, kExists, kFailed };

// A file a host opened for writing, held by whoever opened it; closed by close(), or when it is
// dropped.
class OpenFile {
 public:
  virtual ~OpenFile() = default;

  // Gives the file the permission bits of `like`, where the host keeps any.
  virtual void keep_permissions(const PathInfo& like) = 0;

  // Writes all of `text` to the file in text mode (a line feed becomes the host's line end).
  // Returns false when not all of it was written.
  virtual bool write_all(std::string_view text) = 0;

  // Closes the file and sets `made` to the identity it was left with. Returns false when the
  // file could not be told or closed (it is closed anyway).
  virtual bool close(FileIdentity& made) = 0;
};

// The primitives of one host's file system.
class FileHost {
 public:
  virtual ~FileHost() = default;

  // Describes what stands at `path`, without following a link or opening anything there.
  virtual PathInfo describe(const std::string& path) = 0;

  // Creates `path` as a new file, hands it open for writing to `file` and records it as the
  // pending temporary file, which an interrupted run removes before it ends: never through a
  // link, kExists when anything stands there. Interrupts never see it created but not recorded.
  virtual Created create_temporary(const std::string& path, std::unique_ptr<OpenFile>& file) = 0;

  // Opens the regular file at `path` for writing, truncated; never through a link, never
  // waiting on a FIFO. Returns null when it cannot.
  virtual std::unique_ptr<OpenFile> open_existing(const std::string& path) = 0;

  // Renames the pending temporary file over the file at `path`, and forgets it. Returns false,
  // the file still there, when it cannot.
  virtual bool rename_temporary(const std::string& path) = 0;

  // Removes the pending temporary file, and forgets it.
  virtual void remove_temporary() = 0;

  // Removes the file at `path`, if its folder lets it.
  virtual void remove(const std::string& path) = 0;

  // This process's number, for the temporary file's name.
  virtual unsigned long process_id() = 0;
};

// The real file system of this host (posix.cc, windows.cc).
FileHost& this_host();

// What one run's whole-file writes remember: the files it wrote, as it left them, and the
// serial number of its next temporary file.
struct WriteRecord {
  std::set<FileIdentity> written;
  unsigned next_serial = 0;
};

// Writes `text` in text mode (a line feed becomes the host's line end) as the whole file at
// `path`, so that a reader sees, at any moment, the old file or the whole new one: it is written
// to a temporary file in the same folder (temporary_path), then renamed over `path`. Decides by
// what stands at `path`, without opening it: nothing, or a regular file the user may write (its
// permission bits carry over; other hard links keep the old content) is replaced; a file the
// user may not write, a link, a folder, a FIFO, a socket or a device gives kCannotOpen, and a
// file this process wrote gives kRefusedOwnFile, both with nothing written. Where the folder
// lets no file be created but holds a writable file at `path` with no other link, that file is
// written in place; if that write fails, the file is removed where the folder lets it, and
// otherwise stays partial. On every other failure the temporary file is removed, unless the
// folder stopped letting files be removed meanwhile. No fsync: a power cut is not guarded
// against. The policy is in whole_file.cc, over the host's primitives; `record` remembers the
// files this run wrote.
FileWrite write_whole_file(FileHost& host, WriteRecord& record, const std::string& path,
                           std::string_view text);

}  // namespace parcelo::platform

#endif  // PARCELO_PLATFORM_FILE_HOST_H_
