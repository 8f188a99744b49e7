// A stream buffer that writes to an open file descriptor in large blocks and
// keeps the error number of the first write that failed, so that a failure
// is reported with its own reason even when later calls (the close among
// them) clear or change errno. Used for kivg's outputs and standard streams
// and for kivinfo's answers.
#pragma once

#include <cstddef>
#include <streambuf>
#include <vector>

namespace cli {

class DescriptorBuffer : public std::streambuf {
 public:
  explicit DescriptorBuffer(int fd = -1);
  DescriptorBuffer(const DescriptorBuffer&) = delete;
  DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;
  ~DescriptorBuffer() override;

  // Writes everything buffered; the descriptor is left open.
  bool Flush();
  // Flushes and closes the descriptor (a failed close counts as an error).
  // Returns the first error, 0 when every write and the close succeeded.
  int Close();

  void Attach(int fd) { fd_ = fd; }
  // errno of the first failure, 0 while none happened.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  bool WriteAll(const char* data, std::size_t size);

  int fd_;
  int error_ = 0;
  std::vector<char> buffer_;
};

}  // namespace cli
