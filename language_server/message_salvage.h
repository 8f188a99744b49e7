// What can still be read from a message body that is not usable as a
// whole (not JSON, not valid UTF-8, cut short after a size limit): its
// top-level "id" and "method", read up to the first fault, so that a
// request is answered with its own id instead of leaving the client
// waiting.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace kivls {

struct SalvagedMessage {
  nlohmann::json id;  // null when none was read
  std::string method;
  std::string uri;  // params.textDocument.uri, when read
};

SalvagedMessage SalvageMessage(const std::string& body);

}  // namespace kivls
