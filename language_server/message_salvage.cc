#include "language_server/message_salvage.h"

#include <vector>

namespace kivls {

namespace {

using nlohmann::json;

// Follows the keys leading to each value and keeps the three it wants.
class Salvager : public nlohmann::json_sax<json> {
 public:
  explicit Salvager(SalvagedMessage& result) : result_(result) {}

  bool null() override { return Value(json()); }
  bool boolean(bool value) override { return Value(json(value)); }
  bool number_integer(number_integer_t value) override {
    return Value(json(value));
  }
  bool number_unsigned(number_unsigned_t value) override {
    return Value(json(value));
  }
  bool number_float(number_float_t value, const string_t&) override {
    return Value(json(value));
  }
  bool string(string_t& value) override { return Value(json(value)); }
  bool binary(binary_t&) override { return Value(json()); }
  bool start_object(std::size_t) override {
    path_.emplace_back();
    return true;
  }
  bool key(string_t& value) override {
    if (!path_.empty()) path_.back() = value;
    return true;
  }
  bool end_object() override {
    if (!path_.empty()) path_.pop_back();
    return true;
  }
  bool start_array(std::size_t) override {
    path_.emplace_back("[]");
    return true;
  }
  bool end_array() override {
    if (!path_.empty()) path_.pop_back();
    return true;
  }
  bool parse_error(std::size_t, const std::string&,
                   const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool At(std::initializer_list<const char*> keys) const {
    if (path_.size() != keys.size()) return false;
    size_t i = 0;
    for (const char* key : keys) {
      if (path_[i++] != key) return false;
    }
    return true;
  }
  bool Value(const json& value) {
    if (At({"id"}) && (value.is_number_integer() || value.is_string()))
      result_.id = value;
    else if (At({"method"}) && value.is_string())
      result_.method = value.get<std::string>();
    else if (At({"params", "textDocument", "uri"}) && value.is_string())
      result_.uri = value.get<std::string>();
    return true;
  }
  SalvagedMessage& result_;
  std::vector<std::string> path_;
};

}  // namespace

SalvagedMessage SalvageMessage(const std::string& body) {
  SalvagedMessage result;
  Salvager salvager(result);
  json::sax_parse(body, &salvager, json::input_format_t::json, false);
  return result;
}

}  // namespace kivls
