#include "tests/standalone/compiled_script.h"

#include <gtest/gtest.h>

std::string StandardSpecFile() {
  return std::string(KIVS_SPEC_DIR) + "/standalone.kivec";
}

std::string ClassSupportSpecFile() {
  return std::string(KIVS_SPEC_DIR) + "/standalone-oo.kivec";
}

void CompileScript(const TempDir& dir, const std::string& name,
                   const std::string& source, const std::string& specFile) {
  const std::string script = dir.Write(name + ".kiv", source);
  const ProgramResult compiled =
      RunProgram(BinPath("kivc"), {specFile, script});
  ASSERT_EQ(compiled.status, 0) << compiled.err;
}
