// kiv_synthetic_spec N DIR: writes a synthetic spec of about N definitions
// into DIR (main.kivs and its modules) and prints the definition count and
// the total size of the spec source in bytes.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/synthetic_spec.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "Usage: kiv_synthetic_spec N DIR\n";
    return 1;
  }
  const SyntheticSpec spec =
      MakeSyntheticSpec(std::strtoull(argv[1], nullptr, 10));
  size_t bytes = 0;
  for (const auto& [name, text] : spec.files) {
    std::ofstream file(std::string(argv[2]) + "/" + name, std::ios::binary);
    file << text;
    if (!file) {
      std::cerr << "Error writing " << argv[2] << "/" << name << "\n";
      return 1;
    }
    bytes += text.size();
  }
  std::cout << spec.definitionCount << " " << bytes << "\n";
  return 0;
}
