// Area-code lists built from the fuzzer's bytes: tables, records and children of every shape,
// with codes from a small pool so that children find their records and the walk goes deep.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "run_in_memory.h"

namespace {

using parcelo::json;

const char* const kCodes[] = {"1", "2", "3", "10", "010", "9", "", ".", "a/b", "\x01", "東"};

std::string pick_code(FuzzedDataProvider& in) { return in.PickValueInArray(kCodes); }

// Mostly the shape the agency publishes; sometimes any other.
json odd_value(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0:
      return nullptr;
    case 1:
      return in.ConsumeIntegral<int8_t>();
    case 2:
      return in.ConsumeBool();
    case 3:
      return json::array();
    case 4:
      return json::object();
    default:
      return pick_code(in);
  }
}

json children(FuzzedDataProvider& in) {
  json list = json::array();
  const int count = in.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < count; ++i)
    list.push_back(in.ConsumeProbability<float>() < 0.95f ? json(pick_code(in)) : odd_value(in));
  switch (in.ConsumeIntegralInRange(0, 15)) {
    case 0:
      return nullptr;
    case 1:
      return pick_code(in);
    case 2: {
      json object = json::object();
      for (const json& code : list) object[pick_code(in)] = code;
      return object;
    }
    case 3:
      return odd_value(in);
    default:
      return list;
  }
}

json record(FuzzedDataProvider& in) {
  if (in.ConsumeProbability<float>() < 0.03f) return odd_value(in);
  json r = json::object();
  const int name = in.ConsumeIntegralInRange(0, 19);
  if (name == 0) r["name"] = odd_value(in);
  if (name > 1) r["name"] = in.ConsumeRandomLengthString(12);
  if (in.ConsumeIntegralInRange(0, 19) != 0) r["children"] = children(in);
  return r;
}

json table(FuzzedDataProvider& in) {
  if (in.ConsumeProbability<float>() < 0.05f) return odd_value(in);
  json t = json::object();
  const int count = in.ConsumeIntegralInRange(0, 8);
  for (int i = 0; i < count; ++i) t[pick_code(in)] = record(in);
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  json list = json::object();
  for (const char* key : {"centers", "offices", "class10s", "class15s", "class20s"}) {
    if (in.ConsumeIntegralInRange(0, 15) != 0) list[key] = table(in);
  }
  // Names may hold bytes that are not UTF-8: the text then fails to parse, as a file would.
  std::string text = list.dump(-1, ' ', false, json::error_handler_t::ignore);
  if (in.ConsumeBool()) text = "\xEF\xBB\xBF" + text;
  parcelo::fuzz::run_in_memory(text + in.ConsumeRemainingBytesAsString());
  return 0;
}
