// The standard output buffer: what is written arrives whole and in order,
// and a failed write is remembered with its own error number however much
// is written after it.
#include "cli/descriptor_buffer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <string>

namespace {

// Bigger than the buffer, so that writes happen before the final flush.
std::string LongText() {
  std::string text;
  for (int i = 0; text.size() < 100000; ++i)
    text += "line " + std::to_string(i) + "\n";
  return text;
}

TEST(DescriptorBuffer, DeliversEverythingInOrder) {
  char name[] = "/tmp/kiv-output-XXXXXX";
  const int file = mkstemp(name);
  ASSERT_NE(file, -1);
  const std::string text = LongText();
  {
    cli::DescriptorBuffer buffer(file);
    std::ostream out(&buffer);
    out << text.substr(0, 10) << text.substr(10);
    EXPECT_TRUE(buffer.Flush());
    EXPECT_EQ(buffer.error(), 0);
    out << "tail";  // written when the buffer goes
  }
  std::string read(text.size() + 10, '\0');
  const ssize_t count = pread(file, &read[0], read.size(), 0);
  close(file);
  unlink(name);
  ASSERT_GE(count, 0);
  read.resize(static_cast<std::size_t>(count));
  EXPECT_EQ(read, text + "tail");
}

TEST(DescriptorBuffer, KeepsTheFirstErrorOfAFailedWrite) {
  void (*previous)(int) = signal(SIGPIPE, SIG_IGN);
  const int notOpen = open("/dev/null", O_WRONLY);
  ASSERT_NE(notOpen, -1);
  close(notOpen);
  const struct {
    const char* what;
    bool longText;  // fails midway rather than at the final flush
    bool closedPipe;
    int error;
  } rows[] = {
      {"closed pipe, short output", false, true, EPIPE},
      {"closed pipe, long output", true, true, EPIPE},
      {"closed descriptor", true, false, EBADF},
  };
  for (const auto& row : rows) {
    int descriptor = notOpen;
    int ends[2] = {-1, -1};
    if (row.closedPipe) {
      ASSERT_EQ(pipe(ends), 0);
      close(ends[0]);
      descriptor = ends[1];
    }
    cli::DescriptorBuffer buffer(descriptor);
    std::ostream out(&buffer);
    out << (row.longText ? LongText() : "short\n");
    errno = 0;  // what a program's errno says by the time it reports
    EXPECT_FALSE(buffer.Flush()) << row.what;
    EXPECT_EQ(buffer.error(), row.error) << row.what;
    out.clear();
    out << LongText();
    EXPECT_FALSE(buffer.Flush()) << row.what;
    EXPECT_EQ(buffer.error(), row.error) << row.what;
    if (row.closedPipe) close(ends[1]);
  }
  signal(SIGPIPE, previous);
}

}  // namespace
