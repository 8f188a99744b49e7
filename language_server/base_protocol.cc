#include "language_server/base_protocol.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace kivls {

namespace {

constexpr char kLengthField[] = "Content-Length:";
constexpr size_t kReadBytes = 65536;
// How much of an oversized body is kept so that its request can be named.
constexpr size_t kKeptPrefixBytes = 4096;

std::string Lowered(const std::string& text) {
  std::string lowered = text;
  for (char& c : lowered)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowered;
}

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

// The length a Content-Length value states: decimal digits only, within
// size_t. False for anything else.
bool ParseLength(const std::string& value, size_t* length) {
  if (value.empty() || value.size() > 19) return false;
  size_t result = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    result = result * 10 + static_cast<size_t>(c - '0');
  }
  *length = result;
  return true;
}

}  // namespace

MessageReader::MessageReader(int fd, size_t maxBodyBytes)
    : fd_(fd), maxBodyBytes_(maxBodyBytes) {}

bool MessageReader::Fill() {
  if (ended_) return false;
  Compact();
  const size_t old = buffer_.size();
  buffer_.resize(old + kReadBytes);
  for (;;) {
    const ssize_t count = read(fd_, &buffer_[old], kReadBytes);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) {
      buffer_.resize(old);
      ended_ = true;
      return false;
    }
    buffer_.resize(old + static_cast<size_t>(count));
    return true;
  }
}

void MessageReader::Compact() {
  if (position_ == 0) return;
  if (position_ < buffer_.size() && position_ < (size_t{1} << 20) &&
      position_ * 2 < buffer_.size())
    return;
  buffer_.erase(0, position_);
  position_ = 0;
}

bool MessageReader::InputPending() {
  if (position_ < buffer_.size() || ended_) return true;
  struct pollfd poller = {fd_, POLLIN, 0};
  return poll(&poller, 1, 0) > 0;
}

void MessageReader::Resynchronize() {
  for (;;) {
    const size_t found = buffer_.find(kLengthField, position_);
    if (found != std::string::npos) {
      position_ = found;
      return;
    }
    // Keep a tail that may be the start of the field name.
    const size_t keep = sizeof(kLengthField) - 1;
    if (buffer_.size() - position_ > keep) position_ = buffer_.size() - keep;
    if (!Fill()) {
      position_ = buffer_.size();
      return;
    }
  }
}

IncomingMessage MessageReader::Next() {
  IncomingMessage message;
  // The header block: lines up to an empty one.
  size_t end;
  for (;;) {
    end = buffer_.find("\r\n\r\n", position_);
    if (end != std::string::npos && end - position_ <= kMaxHeaderBytes) break;
    if (buffer_.size() - position_ > kMaxHeaderBytes + 4) {
      message.kind = IncomingMessage::kBadHeader;
      message.fault = "Header block longer than " +
                      std::to_string(kMaxHeaderBytes) + " bytes";
      position_ += 1;
      Resynchronize();
      return message;
    }
    if (!Fill()) {
      message.kind = IncomingMessage::kEnd;
      return message;
    }
  }
  const std::string header = buffer_.substr(position_, end - position_);
  position_ = end + 4;

  bool haveLength = false;
  size_t length = 0;
  std::string fault;
  size_t lineStart = 0;
  while (lineStart <= header.size() && fault.empty()) {
    size_t lineEnd = header.find("\r\n", lineStart);
    if (lineEnd == std::string::npos) lineEnd = header.size();
    const std::string line = header.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 2;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) {
      fault = "Malformed header line";
      break;
    }
    const std::string name = Lowered(Trimmed(line.substr(0, colon)));
    const std::string value = Trimmed(line.substr(colon + 1));
    if (name == "content-length") {
      if (haveLength || !ParseLength(value, &length))
        fault = "Malformed Content-Length header";
      haveLength = true;
    }
  }
  if (fault.empty() && !haveLength) fault = "Missing Content-Length header";
  if (!fault.empty()) {
    message.kind = IncomingMessage::kBadHeader;
    message.fault = fault;
    Resynchronize();
    return message;
  }

  if (length > maxBodyBytes_) {
    message.kind = IncomingMessage::kTooLarge;
    message.length = length;
    size_t skipped = 0;
    while (skipped < length) {
      if (position_ == buffer_.size() && !Fill()) {
        message.kind = IncomingMessage::kEnd;
        return message;
      }
      const size_t take =
          std::min(length - skipped, buffer_.size() - position_);
      if (message.body.size() < kKeptPrefixBytes) {
        message.body.append(
            buffer_, position_,
            std::min(take, kKeptPrefixBytes - message.body.size()));
      }
      position_ += take;
      skipped += take;
    }
    return message;
  }

  while (buffer_.size() - position_ < length) {
    if (!Fill()) {
      message.kind = IncomingMessage::kEnd;
      return message;
    }
  }
  message.kind = IncomingMessage::kMessage;
  message.body = buffer_.substr(position_, length);
  position_ += length;
  return message;
}

bool WriteMessage(int fd, const std::string& body) {
  std::string message =
      "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  message += body;
  size_t written = 0;
  while (written < message.size()) {
    const ssize_t count =
        write(fd, message.data() + written, message.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += static_cast<size_t>(count);
  }
  return true;
}

}  // namespace kivls
