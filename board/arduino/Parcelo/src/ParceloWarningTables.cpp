// clang-format off
// The agency's warning codes, written by scripts/warning-tables.py
// from the agency's codes (出典：気象庁ホームページ), as shiromatz's warningCodes.json lists them (CC BY-SA 4.0).
// Run the script again, never edit this file.
#include "ParceloTables.h"

namespace parcelo {
namespace tables {

const char kR80[] PROGMEM = "00|0|解除|解除|Release";
const char kR81[] PROGMEM = "02|2|暴風雪・風雪|暴風雪警報|Blizzard warning";
const char kR82[] PROGMEM = "03|2|大雨|レベル3大雨警報|Level 3 heavy rain warning";
const char kR83[] PROGMEM = "05|2|暴風・強風|暴風警報|Storm warning";
const char kR84[] PROGMEM = "06|2|大雪|大雪警報|Heavy snow warning";
const char kR85[] PROGMEM = "07|2|波浪|波浪警報|High waves warning";
const char kR86[] PROGMEM = "08|2|高潮|レベル3高潮警報|Level 3 storm surge warning";
const char kR87[] PROGMEM = "09|2|土砂災害|レベル3土砂災害警報|Level 3 landslide disaster warning";
const char kR88[] PROGMEM = "10|1|大雨|レベル2大雨注意報|Level 2 heavy rain advisory";
const char kR89[] PROGMEM = "12|1|大雪|大雪注意報|Heavy snow advisory";
const char kR810[] PROGMEM = "13|1|暴風雪・風雪|風雪注意報|Snowstorm advisory";
const char kR811[] PROGMEM = "14|1|雷|雷注意報|Thunderstorm advisory";
const char kR812[] PROGMEM = "15|1|暴風・強風|強風注意報|Strong wind advisory";
const char kR813[] PROGMEM = "16|1|波浪|波浪注意報|High waves advisory";
const char kR814[] PROGMEM = "17|1|融雪|融雪注意報|Snowmelt advisory";
const char kR815[] PROGMEM = "19|1|高潮|レベル2高潮注意報|Level 2 storm surge advisory";
const char kR816[] PROGMEM = "20|1|濃霧|濃霧注意報|Dense fog advisory";
const char kR817[] PROGMEM = "21|1|乾燥|乾燥注意報|Dry air advisory";
const char kR818[] PROGMEM = "22|1|なだれ|なだれ注意報|Avalanche advisory";
const char kR819[] PROGMEM = "23|1|低温|低温注意報|Low temperature advisory";
const char kR820[] PROGMEM = "24|1|霜|霜注意報|Frost advisory";
const char kR821[] PROGMEM = "25|1|着氷|着氷注意報|Icing advisory";
const char kR822[] PROGMEM = "26|1|着雪|着雪注意報|Snow accretion advisory";
const char kR823[] PROGMEM = "27|1|その他|その他の注意報|Other advisory";
const char kR824[] PROGMEM = "29|1|土砂災害|レベル2土砂災害注意報|Level 2 landslide disaster advisory";
const char kR825[] PROGMEM = "32|4|暴風雪・風雪|暴風雪特別警報|Blizzard special warning";
const char kR826[] PROGMEM = "33|4|大雨|レベル5大雨特別警報|Level 5 heavy rain special warning";
const char kR827[] PROGMEM = "35|4|暴風・強風|暴風特別警報|Storm special warning";
const char kR828[] PROGMEM = "36|4|大雪|大雪特別警報|Heavy snow special warning";
const char kR829[] PROGMEM = "37|4|波浪|波浪特別警報|High waves special warning";
const char kR830[] PROGMEM = "38|4|高潮|レベル5高潮特別警報|Level 5 storm surge special warning";
const char kR831[] PROGMEM = "39|4|土砂災害|レベル5土砂災害特別警報|Level 5 landslide disaster special warning";
const char kR832[] PROGMEM = "43|3|大雨|レベル4大雨危険警報|Level 4 heavy rain danger warning";
const char kR833[] PROGMEM = "48|3|高潮|レベル4高潮危険警報|Level 4 storm surge danger warning";
const char kR834[] PROGMEM = "49|3|土砂災害|レベル4土砂災害危険警報|Level 4 landslide disaster danger warning";
const char* const kR8Codes[] PROGMEM = {kR80, kR81, kR82, kR83, kR84, kR85, kR86, kR87, kR88, kR89, kR810, kR811, kR812, kR813, kR814, kR815, kR816, kR817, kR818, kR819, kR820, kR821, kR822, kR823, kR824, kR825, kR826, kR827, kR828, kR829, kR830, kR831, kR832, kR833, kR834};
const uint8_t kR8CodeCount = 35;

const char kLegacy0[] PROGMEM = "00|0|解除|解除|Release";
const char kLegacy1[] PROGMEM = "02|2|暴風雪・風雪|暴風雪警報|Blizzard warning";
const char kLegacy2[] PROGMEM = "03|2|大雨|大雨警報|Heavy rain warning";
const char kLegacy3[] PROGMEM = "04|2|洪水|洪水警報|Flood warning";
const char kLegacy4[] PROGMEM = "05|2|暴風・強風|暴風警報|Storm warning";
const char kLegacy5[] PROGMEM = "06|2|大雪|大雪警報|Heavy snow warning";
const char kLegacy6[] PROGMEM = "07|2|波浪|波浪警報|High waves warning";
const char kLegacy7[] PROGMEM = "08|2|高潮|高潮警報|Storm surge warning";
const char kLegacy8[] PROGMEM = "10|1|大雨|大雨注意報|Heavy rain advisory";
const char kLegacy9[] PROGMEM = "12|1|大雪|大雪注意報|Heavy snow advisory";
const char kLegacy10[] PROGMEM = "13|1|暴風雪・風雪|風雪注意報|Snowstorm advisory";
const char kLegacy11[] PROGMEM = "14|1|雷|雷注意報|Thunderstorm advisory";
const char kLegacy12[] PROGMEM = "15|1|暴風・強風|強風注意報|Strong wind advisory";
const char kLegacy13[] PROGMEM = "16|1|波浪|波浪注意報|High waves advisory";
const char kLegacy14[] PROGMEM = "17|1|融雪|融雪注意報|Snowmelt advisory";
const char kLegacy15[] PROGMEM = "18|1|洪水|洪水注意報|Flood advisory";
const char kLegacy16[] PROGMEM = "19|1|高潮|高潮注意報|Storm surge advisory";
const char kLegacy17[] PROGMEM = "20|1|濃霧|濃霧注意報|Dense fog advisory";
const char kLegacy18[] PROGMEM = "21|1|乾燥|乾燥注意報|Dry air advisory";
const char kLegacy19[] PROGMEM = "22|1|なだれ|なだれ注意報|Avalanche advisory";
const char kLegacy20[] PROGMEM = "23|1|低温|低温注意報|Low temperature advisory";
const char kLegacy21[] PROGMEM = "24|1|霜|霜注意報|Frost advisory";
const char kLegacy22[] PROGMEM = "25|1|着氷|着氷注意報|Icing advisory";
const char kLegacy23[] PROGMEM = "26|1|着雪|着雪注意報|Snow accretion advisory";
const char kLegacy24[] PROGMEM = "27|1|その他|その他の注意報|Other advisory";
const char kLegacy25[] PROGMEM = "32|4|暴風雪・風雪|暴風雪特別警報|Blizzard special warning";
const char kLegacy26[] PROGMEM = "33|4|大雨|大雨特別警報|Heavy rain special warning";
const char kLegacy27[] PROGMEM = "35|4|暴風・強風|暴風特別警報|Storm special warning";
const char kLegacy28[] PROGMEM = "36|4|大雪|大雪特別警報|Heavy snow special warning";
const char kLegacy29[] PROGMEM = "37|4|波浪|波浪特別警報|High waves special warning";
const char kLegacy30[] PROGMEM = "38|4|高潮|高潮特別警報|Storm surge special warning";
const char* const kLegacyCodes[] PROGMEM = {kLegacy0, kLegacy1, kLegacy2, kLegacy3, kLegacy4, kLegacy5, kLegacy6, kLegacy7, kLegacy8, kLegacy9, kLegacy10, kLegacy11, kLegacy12, kLegacy13, kLegacy14, kLegacy15, kLegacy16, kLegacy17, kLegacy18, kLegacy19, kLegacy20, kLegacy21, kLegacy22, kLegacy23, kLegacy24, kLegacy25, kLegacy26, kLegacy27, kLegacy28, kLegacy29, kLegacy30};
const uint8_t kLegacyCodeCount = 31;

}  // namespace tables
}  // namespace parcelo
