// Reads the agency's warnings and advisories for one office,
// https://www.jma.go.jp/bosai/warning/data/r8/<office>.json, as it streams, and keeps what is in
// force for one town. The document is an array of bulletins, one per family of phenomena, in no
// order of time; a town's state is spread over all of them, so its kinds are merged across the
// bulletins, the newest bulletin deciding a code that two carry. 解除 ends a kind; 発表, 継続 and
// the changes of level (警報から注意報 ...) keep it in force at the level its code names.
//
// The town is its municipality (the key of the agency's class20s, town.json's `city`), never its
// primary subdivision, which carries the most severe kind of any of its municipalities. Where the
// document lacks the municipality (the agency splits some cities for warnings, 横浜市 into
// 1410011 and 1410012, under codes a 2024 list lacks; a town file made on the board has none),
// the primary subdivision's kinds stand in, and `fromArea` says so.
//
// The old address, .../bosai/warning/data/warning/<office>.json, stopped changing on 2026-05-28
// and still answers with May's warnings: its form (an object with "areaTypes") is OldWarnings.
#pragma once

#include "Parcelo.h"
#include "ParceloForecast.h"

namespace parcelo {

const uint8_t kMaxWarnings = 6;        // kinds kept; past them, `more` counts the least severe
const size_t kHeadlineSize = 256;      // a longer headline is TooLong
const size_t kWarningStatusSize = 48;  // "発表警報・注意報はなし" (33 bytes) and its NUL

// The levels of the agency's kinds; a code its table lacks is Unknown, shown, never dropped.
enum WarningLevel : uint8_t { Cancelled, Advisory, Warning, Danger, Emergency, Unknown };

struct WarningKind {
  char code[4];  // "20"
  char status[kWarningStatusSize];
  uint8_t level;  // a WarningLevel
};

struct Warnings {
  char reportDatetime[kTimeSize];  // the newest of the bulletins that carry the town
  bool fromArea;                   // the municipality's primary subdivision stood in
  uint8_t count;                   // kinds in force kept, the most severe first
  uint8_t more;                    // kinds in force past kMaxWarnings, not kept
  WarningKind kinds[kMaxWarnings];
  char headline[kHeadlineSize];  // of the bulletin with the most severe kind; "" with none
};

// Reads the office's document from `document` and fills `warnings` for the municipality `city`
// (may be "") of the primary subdivision `area`. OldWarnings for the old address's form,
// NotWarnings for any other shape (an HTML page, a document cut off), NoTown where neither the
// municipality nor the area is in the document, TooLong, TimedOut as readForecast gives them.
Error readWarnings(Stream& document, const char* city, const char* area, Warnings& warnings,
                   unsigned long timeoutMs = 0);

// A code's names, level and phenomenon, from today's table or, with `legacy`, the one before
// 2026-05-29; for a code the table lacks, "unknown" names and the level Unknown.
struct WarningCodeText {
  char japanese[40];
  char english[48];
  char phenomenon[24];
  uint8_t level;
};
bool warningCodeText(const char* code, WarningCodeText& text, bool legacy = false);

}  // namespace parcelo
