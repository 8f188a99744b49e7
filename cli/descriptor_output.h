// A buffered output stream over a file descriptor that keeps the error
// number of its first failed write. A program reports lost output when it
// ends; by then errno says nothing about a write that failed midway (a pipe
// whose reader left), so the buffer holds on to the real reason.
#pragma once

#include <cstddef>
#include <streambuf>

namespace cli {

class DescriptorOutputBuffer : public std::streambuf {
 public:
  explicit DescriptorOutputBuffer(int descriptor);
  ~DescriptorOutputBuffer() override;
  DescriptorOutputBuffer(const DescriptorOutputBuffer&) = delete;
  DescriptorOutputBuffer& operator=(const DescriptorOutputBuffer&) = delete;

  // Writes what is buffered. False when this or any earlier write failed.
  bool Flush();
  // The error number of the first failed write; 0 while none failed.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  // After the first failure nothing more is written: the output is lost
  // already, and a later error must not replace the first.
  bool WriteAll(const char* bytes, std::size_t size);

  int descriptor_;
  int error_ = 0;
  char buffer_[8192];
};

}  // namespace cli
