// The protocol's framing on a byte stream: each message is a header block
// ("Content-Length: N", optionally "Content-Type: ...", each line ended by
// "\r\n", then an empty line) and N bytes of body. The reader never trusts
// the stream: a header block it cannot use is reported and skipped up to the
// next "Content-Length:", and a body over the size limit is read past, so
// the stream stays in step, and reported with its first bytes.
#pragma once

#include <cstddef>
#include <string>

namespace kivls {

// The largest message body the server takes by default: far above the text
// of any real spec, far below what would exhaust memory.
constexpr size_t kDefaultMaxMessageBytes = size_t{64} << 20;

// The longest header block: a few short lines in practice.
constexpr size_t kMaxHeaderBytes = 8192;

struct IncomingMessage {
  enum Kind {
    kMessage,    // body holds the whole message
    kBadHeader,  // fault describes it; the stream has been resynchronized
    kTooLarge,   // body holds the message's first bytes; the rest was skipped
    kEnd,        // the input ended (or failed): the client is gone
  };
  Kind kind = kEnd;
  std::string body;
  std::string fault;
  size_t length = 0;  // the declared length, for kTooLarge
};

class MessageReader {
 public:
  MessageReader(int fd, size_t maxBodyBytes);

  // Blocks until the next message, fault or end of input.
  IncomingMessage Next();

  // Whether more input is waiting: bytes already read and not used, or bytes
  // the descriptor would give without blocking (end of input counts).
  bool InputPending();

 private:
  // Reads more bytes into the buffer; false at end of input or error.
  bool Fill();
  // Drops the used part of the buffer once it is large.
  void Compact();
  // Skips to the next "Content-Length:" after a bad header block.
  void Resynchronize();

  int fd_;
  size_t maxBodyBytes_;
  std::string buffer_;
  size_t position_ = 0;  // first unused byte of buffer_
  bool ended_ = false;
};

// Writes one message with its header. False when the stream is gone.
bool WriteMessage(int fd, const std::string& body);

}  // namespace kivls
