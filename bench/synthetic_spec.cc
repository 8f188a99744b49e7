#include "bench/synthetic_spec.h"

namespace {

// Appends one top-level definition or class for the i-th step and returns
// how many definitions it added. Functions are most of a spec; their lines
// average about 45 bytes, as hand-written specs do.
size_t AppendDefinition(std::string& text, size_t i) {
  const std::string n = std::to_string(i);
  switch (i % 20) {
    case 3:
      text += "limit_" + n + " = " + n + "\n";
      return 1;
    case 8:
      text += "label_" + n + " = \"text " + n + "\"\n";
      return 1;
    case 13:
      text += "ratio_" + n + " = " + n + ".25e-1\n";
      return 1;
    case 17:
      text += "class Shape" + n +
              ":\n"
              "    def area(self, scale=1.0) = ShapeArea" +
              n +
              "\n"
              "    sides = 4\n";
      return 3;
    default:
      break;
  }
  switch (i % 4) {
    case 0:
      text += "def get_item_" + n + "(key) = AppGetItem" + n + "\n";
      break;
    case 1:
      text += "def put_item_" + n + "(key, value=None) = AppPutItem" + n + "\n";
      break;
    case 2:
      text += "def sum_items_" + n + "(first, *rest) = AppSumItems" + n + "\n";
      break;
    default:
      text += "def call_with_" + n + "(f, x=0x1F, **options) = AppCallWith" +
              n + "\n";
      break;
  }
  return 1;
}

}  // namespace

SyntheticSpec MakeSyntheticSpec(size_t definitions) {
  SyntheticSpec spec;
  const size_t moduleCount = definitions / 1000 + 1;
  const size_t perModule = 10;
  std::string main = "+class\n";
  for (size_t m = 0; m < moduleCount; ++m)
    main += "import module_" + std::to_string(m) + " as m" + std::to_string(m) +
            "\n";
  spec.definitionCount = moduleCount * perModule;
  for (size_t m = 0; m < moduleCount; ++m) {
    std::string module;
    for (size_t d = 0; d < perModule; ++d) {
      module += "def op_" + std::to_string(d) + "(a, b=" + std::to_string(d) +
                ") = Module" + std::to_string(m) + "Op" + std::to_string(d) +
                "\n";
    }
    spec.files["module_" + std::to_string(m) + ".kivs"] = std::move(module);
  }
  main.reserve(definitions * 48);
  for (size_t i = 0; spec.definitionCount < definitions; ++i)
    spec.definitionCount += AppendDefinition(main, i);
  spec.files["main.kivs"] = std::move(main);
  return spec;
}
