#include "output/console.h"

#include <iterator>
#include <string>

#include "platform/platform.h"

namespace parcelo {

namespace {

struct FailureEntry {
  FailureKind kind;
  const char* name;
  const char* text;
};

// The failures' names and texts, in the enumeration's order. A cut-off list reads as any other
// text that is not JSON: the console says the parser's own words after the same text.
constexpr FailureEntry kFailures[] = {
    {FailureKind::kCannotOpenInput, "cannot-open-input", "ファイルを開けませんでした。"},
    {FailureKind::kNotJson, "not-json", "JSON パースエラー: "},
    {FailureKind::kCutOff, "cut-off", "JSON パースエラー: "},
    {FailureKind::kMissingTables, "missing-tables",
     "必要な 'centers' または 'offices' キーが見つかりません。"},
    {FailureKind::kMalformedList, "malformed-list", "エリアコード一覧の形式が正しくありません: "},
    {FailureKind::kUnsafeOfficeCode, "unsafe-office-code",
     "ファイル名に使えない府県予報区コードです: "},
    {FailureKind::kCannotOpenOutput, "cannot-open-output", "出力ファイルを開けません。"},
    {FailureKind::kCannotWriteOutput, "cannot-write-output", "出力ファイルに書き込めません。"},
    {FailureKind::kOutOfMemory, "out-of-memory", "メモリが不足しています。"},
    {FailureKind::kUnexpected, "unexpected", "予期しないエラーです: "},
};

constexpr bool in_order() {
  for (size_t i = 0; i < std::size(kFailures); ++i) {
    if (kFailures[i].kind != static_cast<FailureKind>(i)) return false;
  }
  return std::size(kFailures) == static_cast<size_t>(FailureKind::kUnexpected) + 1;
}

const FailureEntry& entry_of(FailureKind kind) { return kFailures[static_cast<size_t>(kind)]; }

const char* const kBanner =
    "\n\nParcelo\n気象庁のエリアコードJSONをM5Stackで扱えるサイズに分割する\n\n";
const char* const kUsageHead = "> ";
const char* const kUsageTail = " 気象庁エリアコード一覧JSONファイル名 出力先フォルダ名\n";
const char* const kWritten = " を生成しました。";
const char* const kVersion =
    "parcelo " PARCELO_VERSION "\nCopyright (c) 2026 Parcelo developers. MIT licence.\n";
const char* const kHelp =
    "\n"
    "引数:\n"
    "  気象庁エリアコード一覧JSONファイル名  気象庁が公開するエリアコード一覧 (area.json)\n"
    "  出力先フォルダ名                      書き出す先の、すでにあるフォルダ\n"
    "\n"
    "出力先フォルダに書くファイル:\n"
    "  centers.json             地方予報区ごとの名前と、その府県予報区のコードと名前\n"
    "  <府県予報区コード>.json  その府県予報区の市町村等ごとの市町村名 (cityname) と、\n"
    "                           それを含む一次細分区域の名前 (areaname) とコード (code)\n"
    "\n"
    "終了ステータス:\n"
    "  0  すべてのファイルを書いた\n"
    "  1  失敗した (理由を標準エラーに 1 行で示す。引数が足りないときは使い方の行だけ)\n"
    "\n"
    "エリアコード一覧は気象庁が公開しています:\n"
    "  https://www.jma.go.jp/bosai/common/const/area.json\n"
    "\n"
    "--version (-V) でバージョン、--help (-h) でこの説明を表示します。\n";

std::string start_up_text(std::string_view program) {
  return std::string(kBanner) + kUsageHead + std::string(program) + kUsageTail;
}

static_assert(in_order(), "kFailures lists every kind once, in the enumeration's order");

}  // namespace

const char* failure_text(FailureKind kind) { return entry_of(kind).text; }

const char* failure_name(FailureKind kind) { return entry_of(kind).name; }

namespace {

class HostConsole : public Console {
 public:
  void out(std::string_view text) override {
    platform::write_console(platform::Stream::kOut, text);
  }
  void error(std::string_view text) override {
    platform::write_console(platform::Stream::kError, text);
  }
  void name_failure(const char* name) override { platform::name_failure(name); }
};

}  // namespace

Console& host_console() {
  static HostConsole console;
  return console;
}

void print_start_up(Console& console, std::string_view program) {
  console.out(start_up_text(program));
}

void print_version(Console& console) { console.out(kVersion); }

void print_help(Console& console, std::string_view program) {
  console.out(start_up_text(program) + kHelp);
}

void report_written(Console& console, std::string_view path) {
  console.out(std::string(path) + kWritten + "\n");
}

// Written piece by piece, so that running out of memory can still be reported.
void report_failure(Console& console, FailureKind kind, std::string_view detail) {
  console.name_failure(failure_name(kind));
  console.error(failure_text(kind));
  console.error(detail);
  console.error("\n");
}

}  // namespace parcelo
