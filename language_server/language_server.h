// kivls: the language server for spec sources. It reads the protocol's
// messages from one descriptor and writes its answers and notifications to
// another, one message at a time on one thread: the lifecycle (initialize,
// shutdown, exit), the open documents with incremental changes, and a check
// of every changed document (and of every open document that includes or
// imports it) whenever no further message is waiting, published as
// diagnostics. No message, however malformed, ends it; only exit and a
// client that goes away do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "generator/driver/source_files.h"
#include "language_server/base_protocol.h"
#include "language_server/spec_check.h"
#include "language_server/text_document.h"

namespace kivls {

struct ServerOptions {
  size_t maxMessageBytes = kDefaultMaxMessageBytes;
  // The working directory, where relative paths lead when the client names
  // no workspace folder.
  std::string currentDirectory;
  // KIV_SPEC_INCLUDE's value; null when the variable is not set.
  const char* searchPathVariable = nullptr;
};

class LanguageServer {
 public:
  LanguageServer(int input, int output, ServerOptions options);
  ~LanguageServer();

  // Serves until exit or the end of input; returns the exit status: 0 after
  // shutdown and exit, 1 otherwise.
  int Run();

  // The loop's two steps, for a caller that reads the messages itself (the
  // fuzz target): handle one message, and check what changed.
  void Handle(const IncomingMessage& incoming);
  void CheckStaleDocuments();
  // Whether the loop would end now, and with which status.
  bool Ended() const { return exitReceived_ || outputFailed_; }
  int ExitStatus() const {
    return exitReceived_ && state_ == State::kShutDown ? 0 : 1;
  }

 private:
  enum class State { kWaiting, kRunning, kShutDown };

  struct OpenDocument {
    std::string uri;
    std::string path;  // normal absolute path; empty for no file
    int64_t version = 0;
    TextDocument text;
    bool stale = true;  // to be checked
    std::unique_ptr<SpecCheck> check;
    // The diagnostics its last check gave each document, by URI.
    std::map<std::string, std::vector<nlohmann::json>> diagnostics;
  };

  void HandleMessage(const nlohmann::json& message);
  void HandleUnusable(const std::string& body, int code,
                      const std::string& text);
  void Dispatch(const std::string& method, const nlohmann::json* id,
                const nlohmann::json& params);

  // Lifecycle and document notifications.
  nlohmann::json Initialize(const nlohmann::json& params);
  void DidOpen(const nlohmann::json& params);
  void DidChange(const nlohmann::json& params);
  void DidSave(const nlohmann::json& params);
  void DidClose(const nlohmann::json& params);

  OpenDocument* Find(const nlohmann::json& params);
  // Marks the documents whose last check asked for the path.
  void MarkReaders(const std::string& path);
  void Check(OpenDocument& document);
  void Publish(const std::set<std::string>& uris,
               const std::set<std::string>& always);
  const TextDocument* DiskText(const std::string& path);

  void Send(const nlohmann::json& message);
  void Respond(const nlohmann::json& id, nlohmann::json result);
  void RespondError(const nlohmann::json& id, int code,
                    const std::string& message);
  void Notify(const std::string& method, nlohmann::json params);
  void ShowError(const std::string& message);

  MessageReader reader_;
  int output_;
  ServerOptions options_;
  bool outputFailed_ = false;

  State state_ = State::kWaiting;
  bool exitReceived_ = false;
  PositionEncoding encoding_ = PositionEncoding::kUtf16;
  std::string root_;
  kivg::SearchPath searchPath_;

  std::map<std::string, OpenDocument> documents_;  // by URI
  std::map<std::string, std::string> uriOfPath_;   // open documents
  // What was last published for each URI, so that a list that did not
  // change is not sent again.
  std::map<std::string, std::string> published_;
  // Checks replaced in this round, freed after it has published.
  std::vector<std::unique_ptr<SpecCheck>> retired_;
  // Files read from disk for the ranges of one round of publishing.
  std::map<std::string, std::unique_ptr<TextDocument>> diskTexts_;
};

}  // namespace kivls
