#include "fake_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace parcelo::testing {

using platform::Created;
using platform::FileIdentity;
using platform::PathInfo;
using platform::PathKind;

const FakeHost::Behaviour FakeHost::kLinux = {"Linux", false, true, "\n"};
const FakeHost::Behaviour FakeHost::kWindows = {"Windows", true, false, "\r\n"};

// As NTFS folds names: ASCII letters, and beyond them, for the tests, Latin-1's letters
// (U+00C0 to U+00DE, "Ä" for "ä") and the full-width Latin letters ("Ａ" for "ａ").
std::string FakeHost::key(const std::string& path) const {
  if (!behaviour_.case_blind) return path;
  std::string folded = path;
  for (size_t i = 0; i < folded.size(); ++i) {
    auto byte = [&](size_t at) { return static_cast<unsigned char>(folded[at]); };
    if (folded[i] >= 'A' && folded[i] <= 'Z') folded[i] = static_cast<char>(folded[i] + 32);
    if (byte(i) == 0xC3 && i + 1 < folded.size() && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9E &&
        byte(i + 1) != 0x97) {
      folded[i + 1] = static_cast<char>(byte(i + 1) + 0x20);
    }
    if (byte(i) == 0xEF && i + 2 < folded.size() && byte(i + 1) == 0xBC && byte(i + 2) >= 0xA1 &&
        byte(i + 2) <= 0xBA) {
      folded[i + 1] = static_cast<char>(0xBD);
      folded[i + 2] = static_cast<char>(byte(i + 2) - 0x20);
    }
  }
  return folded;
}

std::shared_ptr<FakeHost::Node> FakeHost::find(const std::string& path) const {
  const auto entry = entries_.find(key(path));
  return entry == entries_.end() ? nullptr : entry->second.node;
}

std::shared_ptr<FakeHost::Node> FakeHost::make(const std::string& path) {
  auto node = std::make_shared<Node>();
  node->number = numbers_++;
  node->time = clock_++;
  entries_[key(path)] = {path, node};
  return node;
}

FileIdentity FakeHost::identity_of(const Node& node) const {
  FileIdentity identity;
  // NTFS tells a file by its index and size; ext4 also by its time of change.
  identity.parts = {node.number, node.content.size(), behaviour_.permission_bits ? node.time : 0};
  return identity;
}

void FakeHost::put_file(const std::string& path, const std::string& content, std::uint32_t mode,
                        bool writable) {
  const auto node = make(path);
  node->content = content;
  node->mode = mode;
  node->writable = writable;
}

void FakeHost::put_other(const std::string& path) { make(path)->kind = PathKind::kOther; }

void FakeHost::put_unknown(const std::string& path) { make(path)->kind = PathKind::kUnknown; }

void FakeHost::link(const std::string& existing, const std::string& path) {
  entries_[key(path)] = {path, find(existing)};
}

void FakeHost::rewrite_keeping_time(const std::string& path, const std::string& content) {
  find(path)->content = content;
}

bool FakeHost::exists(const std::string& path) const { return find(path) != nullptr; }

std::string FakeHost::content(const std::string& path) const {
  const auto node = find(path);
  return node ? node->content : "(absent)";
}

std::uint32_t FakeHost::mode(const std::string& path) const { return find(path)->mode; }

std::vector<std::string> FakeHost::names() const {
  std::vector<std::string> names;
  for (const auto& [key, entry] : entries_) names.push_back(entry.name);
  return names;
}

PathInfo FakeHost::describe(const std::string& path) {
  PathInfo info;
  const auto node = find(path);
  if (!node) return info;
  info.kind = node->kind;
  info.writable = node->writable;
  for (const auto& [key, entry] : entries_) info.links += entry.node == node;
  info.mode = behaviour_.permission_bits ? node->mode : 0;
  info.identity = identity_of(*node);
  return info;
}

// A file of the fake open for writing: its node, and the host whose failures, limits and clock
// it obeys.
class FakeHost::File : public platform::OpenFile {
 public:
  File(FakeHost& host, std::shared_ptr<Node> node) : host_(host), node_(std::move(node)) {}

  void keep_permissions(const PathInfo& like) override {
    if (host_.behaviour_.permission_bits) node_->mode = like.mode;
  }

  bool write_all(std::string_view text) override {
    if (host_.fail_at == "lock the folder") host_.folder_writable = false;
    std::string converted;
    for (const char c : text)
      converted += c == '\n' ? host_.behaviour_.line_end : std::string(1, c);
    const size_t limit = host_.size_limit;
    const bool whole =
        host_.fail_at != "write" && node_->content.size() + converted.size() <= limit;
    // A write that stops leaves one character of it, as far as a size limit lets it go.
    const size_t room = limit - std::min(limit, node_->content.size());
    node_->content += converted.substr(0, whole ? converted.size() : std::min<size_t>(room, 1));
    node_->time = host_.clock_++;
    return whole;
  }

  bool close(FileIdentity& made) override {
    made = host_.identity_of(*node_);
    return host_.fail_at != "close";
  }

 private:
  FakeHost& host_;
  std::shared_ptr<Node> node_;
};

Created FakeHost::create_temporary(const std::string& path,
                                   std::unique_ptr<platform::OpenFile>& file) {
  if (fail_at == "create" || !folder_writable) return Created::kFailed;
  if (exists(path)) return Created::kExists;
  const auto node = make(path);
  node->mode = 0644;
  pending_ = path;
  file = std::make_unique<File>(*this, node);
  return Created::kCreated;
}

std::unique_ptr<platform::OpenFile> FakeHost::open_existing(const std::string& path) {
  const auto node = find(path);
  if (fail_at == "open" || !node || node->kind != PathKind::kFile) return nullptr;
  node->content.clear();
  node->time = clock_++;
  return std::make_unique<File>(*this, node);
}

bool FakeHost::rename_temporary(const std::string& path) {
  if (fail_at == "rename" || !folder_writable) return false;
  const Entry moved = entries_.at(key(pending_));
  entries_.erase(key(pending_));
  entries_[key(path)] = {path, moved.node};
  pending_.clear();
  return true;
}

void FakeHost::remove_temporary() {
  if (folder_writable) entries_.erase(key(pending_));
  pending_.clear();
}

void FakeHost::remove(const std::string& path) {
  if (folder_writable) entries_.erase(key(path));
}

// A list here is a file or nothing: what a folder, a FIFO or a device gives is the real host's
// to answer, and the whole-process tests ask it.
std::unique_ptr<std::istream> FakeRun::open_list(const std::string& path) {
  const PathKind kind = disk.describe(path).kind;
  if (kind == PathKind::kNothing) return nullptr;
  if (kind != PathKind::kFile) {
    std::fprintf(stderr, "%s: a list that is not a file belongs in a whole-process test\n",
                 path.c_str());
    std::abort();
  }
  return std::make_unique<std::istringstream>(disk.content(path));
}

ProcessResult FakeRun::run(const std::vector<std::string>& args) {
  result_ = {};
  failure_.clear();
  std::vector<std::string> with_program{"parcelo"};
  with_program.insert(with_program.end(), args.begin(), args.end());
  result_.status = parcelo::run(with_program, *this);
  return result_;
}

ProcessResult FakeRun::run_list(const std::string& list) {
  disk.put_file("in.json", list);
  return run({"in.json", "out"});
}

std::string FakeRun::output(const std::string& name) const {
  std::string text = disk.content("out/" + name);
  const std::string line_end = behaviour_.line_end;
  for (size_t at = 0; (at = text.find(line_end, at)) != std::string::npos; ++at) {
    text.replace(at, line_end.size(), "\n");
  }
  return text;
}

std::vector<std::string> FakeRun::outputs() const {
  std::vector<std::string> names;
  for (const std::string& name : disk.names()) {
    if (name.rfind("out/", 0) == 0) names.push_back(name.substr(4));
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace parcelo::testing
