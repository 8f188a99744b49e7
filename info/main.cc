// kivinfo, the Kiv information utility.
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <ostream>

#include "cli/descriptor_buffer.h"
#include "cli/standard_descriptors.h"
#include "info/info_utility.h"

int main(int argc, char** argv) {
  if (!cli::OpenStandardDescriptors()) return 1;
  cli::IgnoreBrokenPipeSignal();
  // Answers lost on a full disk or a closed pipe must not pass for success,
  // and the report names the first write that failed, midway or at the end.
  cli::DescriptorBuffer outputBuffer(STDOUT_FILENO);
  std::ostream out(&outputBuffer);
  // As with cout, answers come out before a message that follows them.
  std::cerr.tie(&out);
  int status = kivinfo::RunInfoUtility(argc, argv, out, std::cerr);
  std::cerr.tie(nullptr);  // out ends with main, cerr lives on
  if (!outputBuffer.Flush()) {
    std::cerr << "Error writing standard output: "
              << std::strerror(outputBuffer.error()) << '\n';
    if (status == 0) status = 1;
  }
  return status;
}
