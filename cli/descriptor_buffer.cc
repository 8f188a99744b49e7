#include "cli/descriptor_buffer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cli {

namespace {

constexpr size_t kBufferSize = 1 << 16;

}  // namespace

DescriptorBuffer::DescriptorBuffer(int fd) : fd_(fd), buffer_(kBufferSize) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorBuffer::~DescriptorBuffer() { Flush(); }

bool DescriptorBuffer::WriteAll(const char* data, size_t size) {
  // After a failure the rest is dropped: the stream is reported as failed
  // anyway, and writing on after a full disk or a closed pipe only repeats
  // the failure (or raises SIGPIPE again).
  if (error_ != 0) return false;
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    if (written == 0) {  // no progress and no reason: do not spin
      error_ = EIO;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool DescriptorBuffer::Flush() {
  const size_t pending = static_cast<size_t>(pptr() - pbase());
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  if (pending == 0 || fd_ < 0) return error_ == 0;
  return WriteAll(buffer_.data(), pending);
}

int DescriptorBuffer::Close() {
  Flush();
  if (fd_ >= 0) {
    if (::close(fd_) != 0 && error_ == 0 && errno != EINTR) error_ = errno;
    fd_ = -1;
  }
  return error_;
}

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type c) {
  if (!Flush()) return traits_type::eof();
  if (traits_type::eq_int_type(c, traits_type::eof()))
    return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

std::streamsize DescriptorBuffer::xsputn(const char* text,
                                         std::streamsize count) {
  const size_t size = static_cast<size_t>(count);
  if (size <= static_cast<size_t>(epptr() - pptr())) {
    std::memcpy(pptr(), text, size);
    pbump(static_cast<int>(count));
    return count;
  }
  // A block larger than the room left goes out directly after what is
  // buffered, instead of being copied through the buffer piece by piece.
  if (!Flush()) return 0;
  if (size < buffer_.size()) {
    std::memcpy(pptr(), text, size);
    pbump(static_cast<int>(count));
    return count;
  }
  return WriteAll(text, size) ? count : 0;
}

int DescriptorBuffer::sync() { return Flush() ? 0 : -1; }

}  // namespace cli
