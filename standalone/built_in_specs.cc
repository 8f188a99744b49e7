#include "standalone/built_in_specs.h"

// Generated at build time by kivg from standalone.kivs and standalone-oo.kivs.
#include "standalone/standalone-oo.h"
#include "standalone/standalone.h"

namespace kivs {

BuiltInSpecList MakeBuiltInSpecList() {
  return {
      {&KivAppSpec_standalone, "standalone (standard)"},
      {&KivAppSpec_standalone_oo, "standalone-oo (with class support)"},
  };
}

}  // namespace kivs
