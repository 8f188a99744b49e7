#include "language_server/language_server.h"

#include <algorithm>
#include <new>
#include <utility>

#include "cli/version.h"
#include "generator/driver/command_line.h"
#include "language_server/editor_diagnostics.h"
#include "language_server/message_salvage.h"
#include "language_server/uri.h"

namespace kivls {

namespace {

using nlohmann::json;

// The protocol's error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
constexpr int kServerNotInitialized = -32002;

// TextDocumentSyncKind.Incremental and MessageType.Error.
constexpr int kIncrementalSync = 2;
constexpr int kMessageTypeError = 1;

std::string Dump(const json& value) {
  // Texts read from files on disk need not be valid UTF-8; what is not
  // goes out as U+FFFD rather than failing the whole message.
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

const json* Member(const json& object, const char* key) {
  if (!object.is_object()) return nullptr;
  const auto found = object.find(key);
  return found == object.end() ? nullptr : &*found;
}

const std::string* StringMember(const json& object, const char* key) {
  const json* member = Member(object, key);
  return member != nullptr && member->is_string()
             ? &member->get_ref<const std::string&>()
             : nullptr;
}

// An editor position; false when the value is not one.
bool ReadPosition(const json* value, Position* position) {
  if (value == nullptr) return false;
  const json* line = Member(*value, "line");
  const json* character = Member(*value, "character");
  if (line == nullptr || character == nullptr || !line->is_number_integer() ||
      !character->is_number_integer())
    return false;
  position->line = line->get<int64_t>();
  position->character = character->get<int64_t>();
  return true;
}

// The SOURCE a document is checked as: its path, or for a document that is
// no file the last part of its URI, made a spec name.
std::string SourceName(const std::string& uri, const std::string& path) {
  if (!path.empty()) return path;
  const size_t cut = uri.find_last_of("/:");
  std::string name = cut == std::string::npos ? uri : uri.substr(cut + 1);
  static const std::string kSuffix = ".kivs";
  if (name.size() < kSuffix.size() ||
      name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
    name += kSuffix;
  return name;
}

}  // namespace

LanguageServer::LanguageServer(int input, int output, ServerOptions options)
    : reader_(input, options.maxMessageBytes),
      output_(output),
      options_(std::move(options)) {
  root_ = options_.currentDirectory;
}

LanguageServer::~LanguageServer() = default;

int LanguageServer::Run() {
  while (!Ended()) {
    // Changes that arrive in a burst are checked once, after the last.
    if (!reader_.InputPending()) CheckStaleDocuments();
    if (Ended()) break;
    const IncomingMessage incoming = reader_.Next();
    if (incoming.kind == IncomingMessage::kEnd) break;
    Handle(incoming);
  }
  return ExitStatus();
}

void LanguageServer::Handle(const IncomingMessage& incoming) {
  switch (incoming.kind) {
    case IncomingMessage::kEnd:
      return;
    case IncomingMessage::kBadHeader:
      RespondError(json(), kParseError, incoming.fault);
      return;
    case IncomingMessage::kTooLarge:
      HandleUnusable(incoming.body, kInvalidRequest,
                     "Message of " + std::to_string(incoming.length) +
                         " bytes is over the limit of " +
                         std::to_string(options_.maxMessageBytes) + " bytes");
      return;
    case IncomingMessage::kMessage:
      break;
  }
  json message = json::parse(incoming.body, nullptr, false);
  if (message.is_discarded()) {
    HandleUnusable(incoming.body, kParseError,
                   "Parse error: the message is not JSON in UTF-8");
    return;
  }
  HandleMessage(message);
}

void LanguageServer::HandleUnusable(const std::string& body, int code,
                                    const std::string& text) {
  const SalvagedMessage salvaged = SalvageMessage(body);
  if (!salvaged.id.is_null()) return RespondError(salvaged.id, code, text);
  // Without a method the message may have been a request: it is answered
  // with a null id, as JSON-RPC asks. A notification gets no answer.
  if (salvaged.method.empty()) return RespondError(json(), code, text);
  ShowError(text + " (" + salvaged.method + ")");
  // A lost change leaves the document out of step with the editor's text:
  // the server forgets it rather than check text the editor does not show.
  if (salvaged.method == "textDocument/didOpen" ||
      salvaged.method == "textDocument/didChange") {
    json params{{"textDocument", {{"uri", salvaged.uri}}}};
    if (Find(params) != nullptr) DidClose(params);
  }
}

void LanguageServer::HandleMessage(const json& message) {
  if (!message.is_object())
    return RespondError(json(), kInvalidRequest,
                        "A message must be a JSON object");
  const json* id = Member(message, "id");
  if (id != nullptr && !id->is_number_integer() && !id->is_string())
    return RespondError(json(), kInvalidRequest,
                        "A request id must be an integer or a string");
  const json* method = Member(message, "method");
  if (method == nullptr) {
    // A response to a request of the server's; it sends none that waits.
    if (id != nullptr && (Member(message, "result") != nullptr ||
                          Member(message, "error") != nullptr))
      return;
    return RespondError(id != nullptr ? *id : json(), kInvalidRequest,
                        "A message must have a method");
  }
  if (!method->is_string())
    return RespondError(id != nullptr ? *id : json(), kInvalidRequest,
                        "A method must be a string");
  static const json kNoParams = json::object();
  const json* params = Member(message, "params");
  if (params != nullptr && !params->is_object() && !params->is_array()) {
    if (id != nullptr)
      RespondError(*id, kInvalidParams, "Params must be an object or an array");
    return;
  }
  try {
    Dispatch(method->get<std::string>(), id,
             params != nullptr ? *params : kNoParams);
  } catch (const json::exception& error) {
    if (id != nullptr)
      RespondError(*id, kInvalidParams,
                   std::string("Invalid params: ") + error.what());
  } catch (const std::bad_alloc&) {
    if (id != nullptr) RespondError(*id, kInternalError, "Out of memory");
  }
}

void LanguageServer::Dispatch(const std::string& method, const json* id,
                              const json& params) {
  if (method == "exit") {
    exitReceived_ = true;
    return;
  }
  if (state_ == State::kWaiting) {
    if (id == nullptr) return;  // notifications before initialize are dropped
    if (method != "initialize")
      return RespondError(*id, kServerNotInitialized,
                          "The server is not initialized");
    Respond(*id, Initialize(params));
    state_ = State::kRunning;
    return;
  }
  if (state_ == State::kShutDown) {
    if (id != nullptr)
      RespondError(*id, kInvalidRequest, "The server is shut down");
    return;
  }
  if (id != nullptr) {
    if (method == "shutdown") {
      Respond(*id, json());
      state_ = State::kShutDown;
    } else if (method == "initialize") {
      RespondError(*id, kInvalidRequest, "The server is initialized already");
    } else {
      RespondError(*id, kMethodNotFound, "Unknown method " + method);
    }
    return;
  }
  // Every request is answered before the next message is read, so a
  // $/cancelRequest never finds one still running; it, "initialized" and
  // unknown notifications need nothing.
  if (method == "textDocument/didOpen") return DidOpen(params);
  if (method == "textDocument/didChange") return DidChange(params);
  if (method == "textDocument/didSave") return DidSave(params);
  if (method == "textDocument/didClose") return DidClose(params);
}

json LanguageServer::Initialize(const json& params) {
  const json* capabilities = Member(params, "capabilities");
  const json* general =
      capabilities != nullptr ? Member(*capabilities, "general") : nullptr;
  const json* encodings =
      general != nullptr ? Member(*general, "positionEncodings") : nullptr;
  if (encodings != nullptr && encodings->is_array()) {
    for (const json& encoding : *encodings) {
      if (encoding == "utf-8") encoding_ = PositionEncoding::kUtf8;
    }
  }

  std::string root;
  const json* folders = Member(params, "workspaceFolders");
  if (folders != nullptr && folders->is_array() && !folders->empty()) {
    if (const std::string* uri = StringMember((*folders)[0], "uri"))
      root = PathOfUri(*uri);
  }
  if (root.empty()) {
    if (const std::string* uri = StringMember(params, "rootUri"))
      root = PathOfUri(*uri);
  }
  if (root.empty()) {
    if (const std::string* path = StringMember(params, "rootPath"))
      root = *path;
  }
  if (!root.empty())
    root_ = NormalPath(AbsolutePath(options_.currentDirectory, root));

  const json* initialization = Member(params, "initializationOptions");
  const json* includePath = initialization != nullptr
                                ? Member(*initialization, "includePath")
                                : nullptr;
  if (includePath != nullptr && includePath->is_array()) {
    searchPath_.clear();
    for (const json& entry : *includePath) {
      if (entry.is_string()) searchPath_.push_back(entry.get<std::string>());
    }
  } else {
    searchPath_ = kivg::ParseSearchPath(options_.searchPathVariable);
  }

  return json{{"capabilities",
               {{"positionEncoding",
                 encoding_ == PositionEncoding::kUtf8 ? "utf-8" : "utf-16"},
                {"textDocumentSync",
                 {{"openClose", true},
                  {"change", kIncrementalSync},
                  {"save", {{"includeText", false}}}}}}},
              {"serverInfo",
               {{"name", "kivls"}, {"version", cli::kToolchainVersionText}}}};
}

LanguageServer::OpenDocument* LanguageServer::Find(const json& params) {
  const json* document = Member(params, "textDocument");
  const std::string* uri =
      document != nullptr ? StringMember(*document, "uri") : nullptr;
  if (uri == nullptr) return nullptr;
  const auto found = documents_.find(*uri);
  return found == documents_.end() ? nullptr : &found->second;
}

void LanguageServer::DidOpen(const json& params) {
  const json* item = Member(params, "textDocument");
  const std::string* uri = item ? StringMember(*item, "uri") : nullptr;
  const std::string* text = item ? StringMember(*item, "text") : nullptr;
  if (uri == nullptr || text == nullptr) return;
  const json* version = Member(*item, "version");

  OpenDocument& document = documents_[*uri];
  document.uri = *uri;
  const std::string path = PathOfUri(*uri);
  if (!document.path.empty()) uriOfPath_.erase(document.path);
  document.path = path.empty() ? std::string() : NormalPath(path);
  document.version = version != nullptr && version->is_number_integer()
                         ? version->get<int64_t>()
                         : 0;
  document.text.SetText(*text);
  document.stale = true;
  if (!document.path.empty()) {
    uriOfPath_[document.path] = *uri;
    MarkReaders(document.path);
  }
}

void LanguageServer::DidChange(const json& params) {
  OpenDocument* document = Find(params);
  const json* changes = Member(params, "contentChanges");
  if (document == nullptr || changes == nullptr || !changes->is_array()) return;
  for (const json& change : *changes) {
    const std::string* text = StringMember(change, "text");
    if (text == nullptr) continue;
    const json* range = Member(change, "range");
    if (range == nullptr) {
      document->text.SetText(*text);
      continue;
    }
    Position start, end;
    if (!ReadPosition(Member(*range, "start"), &start) ||
        !ReadPosition(Member(*range, "end"), &end))
      continue;
    size_t from = document->text.OffsetOf(start, encoding_);
    size_t to = document->text.OffsetOf(end, encoding_);
    if (from > to) std::swap(from, to);
    document->text.Replace(from, to, *text);
  }
  const json* item = Member(params, "textDocument");
  const json* version = item ? Member(*item, "version") : nullptr;
  if (version != nullptr && version->is_number_integer())
    document->version = version->get<int64_t>();
  document->stale = true;
  if (!document->path.empty()) MarkReaders(document->path);
}

void LanguageServer::DidSave(const json& params) {
  OpenDocument* document = Find(params);
  if (document == nullptr) return;
  document->stale = true;
  if (!document->path.empty()) MarkReaders(document->path);
}

void LanguageServer::DidClose(const json& params) {
  OpenDocument* document = Find(params);
  if (document == nullptr) return;
  const std::string uri = document->uri;
  const std::string path = document->path;
  std::set<std::string> touched{uri};
  for (const auto& entry : document->diagnostics) touched.insert(entry.first);
  if (!path.empty()) uriOfPath_.erase(path);
  documents_.erase(uri);
  // Whoever included it reads the file on disk now.
  if (!path.empty()) MarkReaders(path);
  // The closed document's own list is emptied whatever others say of it
  // until their next check.
  Notify("textDocument/publishDiagnostics",
         json{{"uri", uri}, {"diagnostics", json::array()}});
  published_[uri] = "[]";
  touched.erase(uri);
  Publish(touched, {});
}

void LanguageServer::MarkReaders(const std::string& path) {
  for (auto& entry : documents_) {
    OpenDocument& document = entry.second;
    if (document.check && document.check->pathsAsked().count(path) != 0)
      document.stale = true;
  }
}

void LanguageServer::CheckStaleDocuments() {
  std::set<std::string> touched, checked;
  for (auto& entry : documents_) {
    OpenDocument& document = entry.second;
    if (!document.stale) continue;
    for (const auto& list : document.diagnostics) touched.insert(list.first);
    Check(document);
    for (const auto& list : document.diagnostics) touched.insert(list.first);
    checked.insert(document.uri);
  }
  if (!checked.empty()) Publish(touched, checked);
  diskTexts_.clear();
  retired_.clear();
}

void LanguageServer::Check(OpenDocument& document) {
  document.stale = false;
  const auto openText = [this](const std::string& path) -> const std::string* {
    const auto found = uriOfPath_.find(path);
    if (found == uriOfPath_.end()) return nullptr;
    return &documents_.at(found->second).text.text();
  };
  // The last check's model is freed once the new diagnostics are out:
  // handing back a large spec's millions of blocks takes a good part of a
  // check, and the editor need not wait for it.
  if (document.check) retired_.push_back(std::move(document.check));
  document.check = std::make_unique<SpecCheck>(
      SourceName(document.uri, document.path), document.text.text(), openText,
      root_, searchPath_);
  const DocumentLookup lookup = [this](const std::string& path) {
    const auto found = uriOfPath_.find(path);
    if (found != uriOfPath_.end())
      return DocumentView{found->second, &documents_.at(found->second).text};
    return DocumentView{UriOfPath(path), DiskText(path)};
  };
  document.diagnostics = EditorDiagnostics(
      *document.check, DocumentView{document.uri, &document.text}, lookup,
      encoding_);
}

const TextDocument* LanguageServer::DiskText(const std::string& path) {
  auto found = diskTexts_.find(path);
  if (found == diskTexts_.end()) {
    kivg::DiskFileSystem disk;
    kivg::SourceText source = disk.Read(path);
    std::unique_ptr<TextDocument> text;
    if (source.status == kivg::SourceText::kRead)
      text = std::make_unique<TextDocument>(std::move(source.contents));
    found = diskTexts_.emplace(path, std::move(text)).first;
  }
  return found->second.get();
}

void LanguageServer::Publish(const std::set<std::string>& uris,
                             const std::set<std::string>& always) {
  // The checked documents' own lists go last: when a client has one, it has
  // every list of that check.
  std::vector<std::string> order;
  for (const std::string& uri : uris)
    if (always.count(uri) == 0) order.push_back(uri);
  for (const std::string& uri : uris)
    if (always.count(uri) != 0) order.push_back(uri);
  for (const std::string& uri : order) {
    json list = json::array();
    std::set<std::string> seen;
    for (const auto& entry : documents_) {
      const auto found = entry.second.diagnostics.find(uri);
      if (found == entry.second.diagnostics.end()) continue;
      for (const json& item : found->second) {
        // The same problem found by two checks (a file checked on its own
        // and through a document that includes it) is shown once, as the
        // first check found it.
        json key = item;
        key.erase("relatedInformation");
        if (seen.insert(Dump(key)).second) list.push_back(item);
      }
    }
    const std::string text = Dump(list);
    std::string& last = published_[uri];
    if (last == text && always.count(uri) == 0) continue;
    last = text;
    json params{{"uri", uri}, {"diagnostics", std::move(list)}};
    const auto open = documents_.find(uri);
    if (open != documents_.end()) params["version"] = open->second.version;
    Notify("textDocument/publishDiagnostics", std::move(params));
  }
}

void LanguageServer::Send(const json& message) {
  if (outputFailed_) return;
  if (!WriteMessage(output_, Dump(message))) outputFailed_ = true;
}

void LanguageServer::Respond(const json& id, json result) {
  Send(json{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void LanguageServer::RespondError(const json& id, int code,
                                  const std::string& message) {
  Send(json{{"jsonrpc", "2.0"},
            {"id", id},
            {"error", {{"code", code}, {"message", message}}}});
}

void LanguageServer::Notify(const std::string& method, json params) {
  Send(json{
      {"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}});
}

void LanguageServer::ShowError(const std::string& message) {
  Notify("window/showMessage",
         json{{"type", kMessageTypeError}, {"message", message}});
}

}  // namespace kivls
