// The base protocol's framing read from a real descriptor: each row is the
// bytes a client sent and what the reader makes of them, in order. After any
// fault the reader finds the next message.
#include "language_server/base_protocol.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace kivls {
namespace {

std::string Frame(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// What the reader gives for the input: "M:body", "B:fault", "L:length:kept
// bytes" and finally "E".
std::vector<std::string> Read(const std::string& input, size_t limit) {
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  std::thread writer([&] {
    size_t written = 0;
    while (written < input.size()) {
      const ssize_t n = write(fds[1], input.data() + written,
                              std::min<size_t>(input.size() - written, 1000));
      if (n <= 0) break;
      written += static_cast<size_t>(n);
    }
    close(fds[1]);
  });
  MessageReader reader(fds[0], limit);
  std::vector<std::string> seen;
  for (;;) {
    const IncomingMessage message = reader.Next();
    if (message.kind == IncomingMessage::kEnd) break;
    if (message.kind == IncomingMessage::kMessage)
      seen.push_back("M:" + message.body);
    if (message.kind == IncomingMessage::kBadHeader)
      seen.push_back("B:" + message.fault);
    if (message.kind == IncomingMessage::kTooLarge)
      seen.push_back("L:" + std::to_string(message.length) + ":" +
                     std::to_string(message.body.size()));
  }
  seen.push_back("E");
  writer.join();
  close(fds[0]);
  return seen;
}

TEST(MessageReader, FramesAndFaults) {
  const std::string big(10000, 'b');
  const struct {
    std::string input;
    std::vector<std::string> seen;
  } cases[] = {
      {Frame("{}") + Frame("[1]"), {"M:{}", "M:[1]", "E"}},
      {"content-length: 2\r\nContent-Type: application/vscode-jsonrpc; "
       "charset=utf-8\r\n\r\n{}",
       {"M:{}", "E"}},
      {"Content-Type: x\r\n\r\n{}" + Frame("ok"),
       {"B:Missing Content-Length header", "M:ok", "E"}},
      {"Content-Length: -1\r\n\r\n{}" + Frame("ok"),
       {"B:Malformed Content-Length header", "M:ok", "E"}},
      {"Content-Length: 2\r\nContent-Length: 2\r\n\r\n{}" + Frame("ok"),
       {"B:Malformed Content-Length header", "M:ok", "E"}},
      {"garbage\r\n\r\nmore garbage" + Frame("ok"),
       {"B:Malformed header line", "M:ok", "E"}},
      {std::string(20000, 'x') + Frame("ok"),
       {"B:Header block longer than 8192 bytes", "M:ok", "E"}},
      {Frame(big) + Frame("ok"), {"L:10000:4096", "M:ok", "E"}},
      {"Content-Length: 99999999999999999999\r\n\r\n" + Frame("ok"),
       {"B:Malformed Content-Length header", "M:ok", "E"}},
      {"Content-Length: 10\r\n\r\nshort", {"E"}},
      {"", {"E"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Read(c.input, 5000), c.seen) << c.input.substr(0, 80);
}

TEST(WriteMessage, FramesTheBody) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_TRUE(WriteMessage(fds[1], "{\"a\":1}"));
  close(fds[1]);
  char buffer[100];
  const ssize_t n = read(fds[0], buffer, sizeof buffer);
  close(fds[0]);
  EXPECT_EQ(std::string(buffer, n), "Content-Length: 7\r\n\r\n{\"a\":1}");
}

}  // namespace
}  // namespace kivls
