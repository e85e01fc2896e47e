// The file names the seam decides on, the same on every host.

#include <string>

#include "platform/platform.h"

namespace parcelo::platform {

bool names_windows_device(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string upper;
  for (const char c : base) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
  if (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0) return false;
  const std::string_view number = std::string_view(upper).substr(3);
  // A digit, or superscript one, two or three in UTF-8, which Windows takes as digits here.
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
         number == "\xC2\xB2" || number == "\xC2\xB3";
}

std::string temporary_path(const std::string& path, unsigned long process, unsigned serial) {
  const size_t slash = path.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return folder + ".parcelo-" + std::to_string(process) + "-" + std::to_string(serial);
}

}  // namespace parcelo::platform
