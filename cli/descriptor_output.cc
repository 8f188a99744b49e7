#include "cli/descriptor_output.h"

#include <unistd.h>

#include <cerrno>

namespace cli {

DescriptorOutputBuffer::DescriptorOutputBuffer(int descriptor)
    : descriptor_(descriptor) {
  setp(buffer_, buffer_ + sizeof buffer_);
}

DescriptorOutputBuffer::~DescriptorOutputBuffer() { Flush(); }

bool DescriptorOutputBuffer::Flush() {
  const bool written =
      WriteAll(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_, buffer_ + sizeof buffer_);
  return written;
}

DescriptorOutputBuffer::int_type DescriptorOutputBuffer::overflow(int_type c) {
  if (!Flush()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof()))
    return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int DescriptorOutputBuffer::sync() { return Flush() ? 0 : -1; }

bool DescriptorOutputBuffer::WriteAll(const char* bytes, std::size_t size) {
  while (error_ == 0 && size > 0) {
    const ssize_t count = write(descriptor_, bytes, size);
    if (count < 0) {
      if (errno != EINTR) error_ = errno;
      continue;
    }
    if (count == 0) {  // no progress and no reason: do not spin
      error_ = EIO;
      continue;
    }
    bytes += count;
    size -= static_cast<std::size_t>(count);
  }
  return error_ == 0;
}

}  // namespace cli
