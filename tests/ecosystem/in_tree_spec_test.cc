// A spec generated inside this build by kiv_add_app_spec: its header is on
// the target's include path, its C source is compiled in, and the record
// agrees with the spec file written beside it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "format/spec_file_format.h"
#include "probe.h"

namespace spec_file = kivformat::spec_file;

extern "C" {
// The app functions the generated dispatch calls; never reached here.
KivRunResult ProbeRead(KivEngine*, KivDataEntry*, KivDataEntry*,
                       KivDataEntry**) {
  return KivRunResult_OK;
}
KivRunResult SensorTemperature(KivEngine*, KivDataEntry*, KivDataEntry**) {
  return KivRunResult_OK;
}
}

namespace {

TEST(InTreeSpec, RecordMatchesTheSpecFileBesideIt) {
  std::ifstream in(KIV_PROBE_SPEC_FILE, std::ios::binary);
  ASSERT_TRUE(in) << KIV_PROBE_SPEC_FILE;
  const std::string bytes{std::istreambuf_iterator<char>(in),
                          std::istreambuf_iterator<char>()};
  ASSERT_GT(bytes.size(), size_t{spec_file::kFixedHeaderSize});
  uint32_t checkValue = 0;
  for (int i = 0; i < 4; ++i)
    checkValue = checkValue << 8 |
                 static_cast<uint8_t>(bytes[spec_file::kCheckValueOffset + i]);
  EXPECT_EQ(KivAppSpec_probe.checkValue, checkValue);
  EXPECT_NE(KivAppSpec_probe.dispatch, nullptr);
}

TEST(InTreeSpec, NamesFromIncludeAndImportAreNumbered) {
  // The macros exist only if kivg read both files through INCLUDE_DIRS.
  const int symbols[] = {KIV_APP_probe_SYM_LIMIT, KIV_APP_probe_SYM_s,
                         KIV_APP_probe_SYM_temperature,
                         KIV_APP_probe_SYM_probe};
  for (int symbol : symbols) EXPECT_GE(symbol, spec_file::kFirstNameSymbol);
}

}  // namespace
