#include "output/console.h"

#include <string>

#include "platform/platform.h"

namespace parcelo {

const char* const kCannotOpenInput = "ファイルを開けませんでした。";
const char* const kParseError = "JSON パースエラー: ";
const char* const kMissingTables = "必要な 'centers' または 'offices' キーが見つかりません。";
const char* const kMalformedList = "エリアコード一覧の形式が正しくありません: ";
const char* const kUnsafeOfficeCode = "ファイル名に使えない府県予報区コードです: ";
const char* const kCannotOpenOutput = "出力ファイルを開けません。";
const char* const kCannotWriteOutput = "出力ファイルに書き込めません。";
const char* const kOutOfMemory = "メモリが不足しています。";
const char* const kUnexpectedError = "予期しないエラーです: ";

namespace {

const char* const kBanner =
    "\n\nParcelo\n気象庁のエリアコードJSONをM5Stackで扱えるサイズに分割する\n\n";
const char* const kUsageHead = "> ";
const char* const kUsageTail = " 気象庁エリアコード一覧JSONファイル名 出力先フォルダ名\n";
const char* const kWritten = " を生成しました。";

}  // namespace

void print_start_up(std::string_view program) {
  platform::write_console(platform::Stream::kOut,
                          std::string(kBanner) + kUsageHead + std::string(program) + kUsageTail);
}

void report_written(std::string_view path) {
  platform::write_console(platform::Stream::kOut, std::string(path) + kWritten + "\n");
}

// Written piece by piece, so that running out of memory can still be reported.
void report_failure(const char* message, std::string_view detail) {
  platform::write_console(platform::Stream::kError, message);
  platform::write_console(platform::Stream::kError, detail);
  platform::write_console(platform::Stream::kError, "\n");
}

}  // namespace parcelo
