// kivg: generates the binary application spec file and the C code of an
// application spec from its source (*.kivs).
#include <string>
#include <vector>

#include "cli/standard_descriptors.h"
#include "generator/driver/generator_program.h"

int main(int argc, char** argv) {
  if (!cli::OpenStandardDescriptors()) return 1;
  return kivg::GeneratorMain(std::vector<std::string>(argv + 1, argv + argc));
}
