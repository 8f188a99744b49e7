// kivg: generates the binary application spec file and the C code of an
// application spec from its source (*.kivs).
#include <iostream>
#include <string>
#include <vector>

#include "cli/standard_descriptors.h"
#include "generator/driver/run_sequence.h"

int main(int argc, char** argv) {
  if (!cli::OpenStandardDescriptors()) return 1;
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = RunGenerator(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
  } catch (const std::string& text) {
    std::cerr << "Error: " << text << "\n";
  } catch (...) {
    std::cerr << "Unknown error\n";
  }
  return 1;
}
