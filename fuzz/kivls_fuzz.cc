// Fuzz target for the language server in one process: random byte streams
// on its input, and random documents. The first byte chooses: an even one
// sends the rest as it is, as a client's raw stream would arrive (after an
// initialize when bit 1 is set); an odd one makes documents of the rest,
// split into files at lines holding only "%%" as kivg_fuzz does (the first
// is fuzz.kivs, then f1.kivs, ...), opens them all, then edits the first
// with a range taken from the next bytes, and shuts the server down. The
// server must neither crash nor leak, and must end with its input.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "language_server/language_server.h"

namespace {

using nlohmann::json;

// Files the server may find on disk: none.
const char kRoot[] = "/nonexistent-kivls-fuzz";

std::string Frame(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string Message(json message) {
  message["jsonrpc"] = "2.0";
  return Frame(message.dump(-1, ' ', false, json::error_handler_t::replace));
}

std::string Initialize() {
  return Message(
      {{"id", 1},
       {"method", "initialize"},
       {"params",
        {{"rootUri", std::string("file://") + kRoot},
         {"capabilities", {{"general", {{"positionEncodings", {"utf-8"}}}}}},
         {"initializationOptions", {{"includePath", {""}}}}}}});
}

std::string Documents(const std::string& input) {
  static const std::string kSeparator = "\n%%\n";
  std::string stream = Initialize();
  std::string edit;
  size_t start = 0;
  for (int index = 0;; ++index) {
    const size_t end = input.find(kSeparator, start);
    const std::string text = input.substr(
        start, end == std::string::npos ? std::string::npos : end + 1 - start);
    const std::string name =
        index == 0 ? "fuzz.kivs" : "f" + std::to_string(index) + ".kivs";
    stream += Message({{"method", "textDocument/didOpen"},
                       {"params",
                        {{"textDocument",
                          {{"uri", std::string("file://") + kRoot + "/" + name},
                           {"languageId", "kivs"},
                           {"version", 1},
                           {"text", text}}}}}});
    if (index == 0 && text.size() >= 4) edit = text.substr(0, 4);
    if (end == std::string::npos) break;
    start = end + kSeparator.size();
  }
  if (!edit.empty()) {
    const auto at = [&edit](int i) {
      return static_cast<int64_t>(static_cast<unsigned char>(edit[i]) % 8);
    };
    stream +=
        Message({{"method", "textDocument/didChange"},
                 {"params",
                  {{"textDocument",
                    {{"uri", std::string("file://") + kRoot + "/fuzz.kivs"},
                     {"version", 2}}},
                   {"contentChanges",
                    {{{"range",
                       {{"start", {{"line", at(0)}, {"character", at(1)}}},
                        {"end", {{"line", at(2)}, {"character", at(3)}}}}},
                      {"text", edit}}}}}}});
  }
  stream += Message({{"id", 2}, {"method", "shutdown"}});
  stream += Message({{"method", "exit"}});
  return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string stream;
  if (data[0] & 1)
    stream = Documents(rest);
  else
    stream = ((data[0] & 2) ? Initialize() : std::string()) + rest;

  // The stream as a file: the server reads it to its end without blocking.
  const int input = memfd_create("kivls-fuzz", 0);
  const int output = open("/dev/null", O_WRONLY);
  if (input < 0 || output < 0) abort();
  size_t written = 0;
  while (written < stream.size()) {
    const ssize_t n =
        write(input, stream.data() + written, stream.size() - written);
    if (n <= 0) abort();
    written += static_cast<size_t>(n);
  }
  lseek(input, 0, SEEK_SET);
  kivls::ServerOptions options;
  options.maxMessageBytes = size_t{1} << 20;
  options.currentDirectory = kRoot;
  // Messages are handed over one by one, each followed by the checks an
  // idle server would run, so that every document state is checked.
  kivls::LanguageServer server(-1, output, options);
  kivls::MessageReader reader(input, options.maxMessageBytes);
  while (!server.Ended()) {
    const kivls::IncomingMessage incoming = reader.Next();
    if (incoming.kind == kivls::IncomingMessage::kEnd) break;
    server.Handle(incoming);
    server.CheckStaleDocuments();
  }
  close(input);
  close(output);
  return 0;
}
