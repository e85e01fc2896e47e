// How a whole file is written, decided once for every host above the primitives of FileHost.

#include "platform/file_host.h"

namespace parcelo::platform {

namespace {

constexpr int kTemporaryNamesToTry = 100;

// Writes `text` over the file at `path` itself: for a folder where no file can be created.
// Where that write fails, the file is removed if the folder lets it; a folder that lets no file
// be created may not let one be removed either, and then the file stays as far as it got.
FileWrite write_in_place(FileHost& host, WriteRecord& record, const std::string& path,
                         std::string_view text) {
  const std::unique_ptr<OpenFile> file = host.open_existing(path);
  if (!file) return FileWrite::kCannotOpen;
  const bool whole = file->write_all(text);
  FileIdentity made;
  if (!file->close(made) || !whole) {
    host.remove(path);
    return FileWrite::kCannotWrite;
  }
  record.written.insert(made);
  return FileWrite::kWritten;
}

// Creates the temporary file beside `path`, under the first of this process's names that
// nothing stands at, and returns it open; null when none can be created.
std::unique_ptr<OpenFile> create_temporary(FileHost& host, WriteRecord& record,
                                           const std::string& path) {
  std::unique_ptr<OpenFile> file;
  for (int attempt = 0; attempt < kTemporaryNamesToTry; ++attempt) {
    const Created created =
        host.create_temporary(temporary_path(path, host.process_id(), record.next_serial++), file);
    if (created != Created::kExists) break;
  }
  return file;
}

}  // namespace

FileWrite write_whole_file(FileHost& host, WriteRecord& record, const std::string& path,
                           std::string_view text) {
  const PathInfo existing = host.describe(path);
  if (existing.kind == PathKind::kUnknown) return FileWrite::kCannotOpen;
  const bool exists = existing.kind != PathKind::kNothing;
  // Never opened: a FIFO would block, a device or a hard link would be written through.
  if (exists && (existing.kind != PathKind::kFile || !existing.writable)) {
    return FileWrite::kCannotOpen;
  }
  if (exists && record.written.count(existing.identity) != 0) return FileWrite::kRefusedOwnFile;
  const std::unique_ptr<OpenFile> file = create_temporary(host, record, path);
  if (!file) {
    const bool alone = exists && existing.links == 1;
    return alone ? write_in_place(host, record, path, text) : FileWrite::kCannotOpen;
  }
  // A replaced file keeps its permission bits; other hard links to it keep the old content.
  if (exists) file->keep_permissions(existing);
  const bool whole = file->write_all(text);
  FileIdentity made;
  if (!file->close(made) || !whole) {
    host.remove_temporary();
    return FileWrite::kCannotWrite;
  }
  if (!host.rename_temporary(path)) {
    host.remove_temporary();
    return FileWrite::kCannotOpen;
  }
  record.written.insert(made);
  return FileWrite::kWritten;
}

}  // namespace parcelo::platform
