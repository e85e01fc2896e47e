#include "test_support.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace parcelo::testing {

namespace {

std::string read_all(std::FILE* file) {
  std::string bytes;
  std::rewind(file);
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

void limit(decltype(RLIMIT_AS) resource, long bytes) {
  if (bytes <= 0) return;
  const rlimit value{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
  setrlimit(resource, &value);
}

// The built parcelo, or for a run as another user a copy of it in a folder open to all: the build
// may lie in a folder that only its owner can enter (root's home, or one from mktemp -d).
std::string binary_for(unsigned user) {
  if (user == 0) return PARCELO_BINARY;
  static const TempDir reachable;  // removed when the tests end
  const std::string copy = reachable / "parcelo";
  if (!fs::exists(copy)) {
    fs::copy_file(PARCELO_BINARY, copy);
    fs::permissions(copy, fs::perms(0755));
    fs::permissions(reachable.path(), fs::perms(0755));
  }
  return copy;
}

// Runs `binary` with `args` in this process, which must be a child.
[[noreturn]] void exec_parcelo(const std::string& binary, const std::vector<std::string>& args) {
  std::vector<std::string> copies;
  std::istringstream emulator(PARCELO_EMULATOR);  // words separated by tabs
  for (std::string word; std::getline(emulator, word, '\t');) copies.push_back(word);
  const size_t tool = copies.size();
  copies.push_back(binary);
  copies.insert(copies.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : copies) argv.push_back(arg.data());
  argv.push_back(nullptr);
  // An emulator is looked up on the PATH; the tool, first where there is none, is a path.
  if (tool > 0) execvp(argv[0], argv.data());
  execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "parcelo-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

ProcessResult run_parcelo(const std::vector<std::string>& args, const RunOptions& options) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();

  const std::string binary = binary_for(options.user);
  int pipe_ends[2] = {-1, -1};
  if (options.stdout_closed_early && pipe(pipe_ends) != 0) throw std::runtime_error("no pipe");
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(options.stdout_closed_early ? pipe_ends[1] : fileno(out), STDOUT_FILENO);
    if (options.stdout_closed_early) close(pipe_ends[0]), close(pipe_ends[1]);
    dup2(fileno(err), STDERR_FILENO);
    limit(RLIMIT_AS, options.address_space_bytes);
    limit(RLIMIT_FSIZE, options.file_size_bytes);
    alarm(options.seconds_allowed);  // kept across exec
    if (options.user != 0 && getuid() == 0 &&
        (setgid(options.user) != 0 || setuid(options.user) != 0)) {
      _exit(126);
    }
    exec_parcelo(binary, args);
  }
  std::string first_line;
  if (options.stdout_closed_early) {  // as `| head -n 1` does
    close(pipe_ends[1]);
    for (char c = 0; c != '\n' && read(pipe_ends[0], &c, 1) == 1;) first_line += c;
    close(pipe_ends[0]);
  }
  ProcessResult result;
  result.status = wait_for(pid);
  result.out = first_line + read_all(out);
  result.err = read_all(err);
  return result;
}

int start_parcelo(const std::vector<std::string>& args) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    exec_parcelo(PARCELO_BINARY, args);
  }
  return pid;
}

int wait_for(int pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool under_emulator() { return std::string(PARCELO_EMULATOR) != ""; }

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing: " + path + ">";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> list_folder(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string real_list_path() {
  const std::string path = std::string(PARCELO_SOURCE_DIR) + "/../shared/data/area.json";
  return fs::exists(path) ? path : "";
}

std::string sample_list_path() {
  return std::string(PARCELO_SOURCE_DIR) + "/data/sample-area.json";
}

std::string test_data(const std::string& name) {
  return std::string(PARCELO_SOURCE_DIR) + "/tests/data/" + name;
}

std::string repeated_code(const std::string& code, int count) {
  std::string codes = "\"" + code + "\"";
  for (int i = 1; i < count; ++i) codes += ",\"" + code + "\"";
  return codes;
}

ProcessResult run_parcelo_on_list(const TempDir& dir, const std::string& list,
                                  const RunOptions& options) {
  write_file(dir / "in.json", list);
  std::filesystem::create_directory(dir / "out");
  return run_parcelo({dir / "in.json", dir / "out"}, options);
}

std::string start_up_text(const std::string& program) {
  return "\n\nParcelo\n気象庁のエリアコードJSONをM5Stackで扱えるサイズに分割する\n\n> " + program +
         " 気象庁エリアコード一覧JSONファイル名 出力先フォルダ名\n";
}

std::string written_line(const std::string& path) { return path + " を生成しました。\n"; }

}  // namespace parcelo::testing
