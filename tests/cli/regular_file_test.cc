// Opening inputs without blocking: what kind of file a name holds is found
// without waiting for a FIFO's writer, and only regular files pass.
#include "cli/regular_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

// A FIFO without a writer hangs an ordinary open; the alarm turns a hang
// into a failed test.
class RegularFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("file.kivd", "bytes");
    dir_.MakeDir("dir.kivd");
    ASSERT_EQ(mkfifo(dir_.Path("fifo.kivd").c_str(), 0644), 0);
    alarm(10);
  }
  void TearDown() override { alarm(0); }

  TempDir dir_;
};

TEST_F(RegularFileTest, OnlyRegularFilesPass) {
  const struct {
    std::string path;
    int error;
  } rows[] = {
      {dir_.Path("file.kivd"), 0},
      {dir_.Path("missing.kivd"), ENOENT},
      {dir_.Path("file.kivd/x"), ENOTDIR},
      {dir_.Path("dir.kivd"), EISDIR},
      {dir_.Path("fifo.kivd"), EINVAL},
      {"/dev/null", EINVAL},
      {"/dev/zero", EINVAL},
  };
  for (const auto& row : rows)
    EXPECT_EQ(cli::RegularFileError(row.path.c_str()), row.error) << row.path;
}

TEST_F(RegularFileTest, OpensAFifoWithoutAWriterAndReadsItAsEmpty) {
  struct stat status {};
  const int descriptor =
      cli::OpenForReading(dir_.Path("fifo.kivd").c_str(), &status);
  ASSERT_NE(descriptor, -1);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
  // Blocking again, so that a pipe with a slow writer is read whole.
  EXPECT_EQ(fcntl(descriptor, F_GETFL) & O_NONBLOCK, 0);
  char byte = 0;
  EXPECT_EQ(read(descriptor, &byte, 1), 0);
  close(descriptor);
}

TEST_F(RegularFileTest, OpenFailureKeepsItsErrorNumber) {
  struct stat status {};
  errno = 0;
  EXPECT_EQ(cli::OpenForReading(dir_.Path("missing").c_str(), &status), -1);
  EXPECT_EQ(errno, ENOENT);
}

}  // namespace
