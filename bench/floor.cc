// The floor: what the tool cannot go below. Opens the list, parses it into one document with the
// library's stream operator, and exits.

#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: parcelo_floor LIST\n";
    return 1;
  }
  std::ifstream input(argv[1]);
  nlohmann::json document;
  try {
    input >> document;
  } catch (const nlohmann::json::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
  return document.is_object() ? 0 : 1;
}
