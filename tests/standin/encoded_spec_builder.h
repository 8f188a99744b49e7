// Builds encoded app specs by hand for the stand-in engine's tests: the same
// bytes generated code carries in its KivAppSpec record.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "format/encoded_spec_format.h"

class EncodedSpecBuilder {
 public:
  // Version 1 and later start with a header naming the module count.
  EncodedSpecBuilder& Header(uint8_t version, uint8_t features,
                             uint32_t modules) {
    bytes_ += "\xFF\xFF";
    bytes_ += static_cast<char>(version);
    if (version >= kivformat::encoded_spec::kFirstVersionWithFeatures)
      bytes_ += static_cast<char>(features);
    return Word(modules - 1);
  }
  EncodedSpecBuilder& Import(int32_t module) {
    bytes_ += static_cast<char>(kivformat::encoded_spec::kImport);
    return Word(static_cast<uint32_t>(module));
  }
  EncodedSpecBuilder& ModuleBegin() {
    bytes_ += static_cast<char>(kivformat::encoded_spec::kModuleBegin);
    return *this;
  }
  // A function entry head; its parameters follow.
  EncodedSpecBuilder& Function(uint8_t parameterCount) {
    bytes_ += static_cast<char>(parameterCount);
    return *this;
  }
  EncodedSpecBuilder& Constant() {
    bytes_ += static_cast<char>(kivformat::encoded_spec::kConstant);
    return *this;
  }
  EncodedSpecBuilder& ClassBegin(uint32_t symbol) {
    bytes_ += static_cast<char>(kivformat::encoded_spec::kClassBegin);
    return Word(symbol | kivformat::encoded_spec::kClassFlag);
  }
  EncodedSpecBuilder& ClassEnd() {
    bytes_.append(
        reinterpret_cast<const char*>(kivformat::encoded_spec::kClassEnd), 2);
    return *this;
  }
  EncodedSpecBuilder& Word(uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes_ += static_cast<char>(word >> shift & 0xFF);
    return *this;
  }
  EncodedSpecBuilder& Parameter(uint32_t symbol) { return Word(symbol); }
  EncodedSpecBuilder& TupleGroup(uint32_t symbol) {
    return Word(symbol | kivformat::encoded_spec::kParameterTupleGroupFlag);
  }
  EncodedSpecBuilder& DictionaryGroup(uint32_t symbol) {
    return Word(symbol |
                kivformat::encoded_spec::kParameterDictionaryGroupFlag);
  }
  EncodedSpecBuilder& Defaulted(uint32_t symbol) {
    return Word(symbol | kivformat::encoded_spec::kParameterDefaultFlag);
  }
  EncodedSpecBuilder& Integer(int32_t value) {
    bytes_ += static_cast<char>(kivformat::encoded_spec::kValueInteger);
    return Word(static_cast<uint32_t>(value));
  }
  EncodedSpecBuilder& String(const std::string& value) {
    bytes_ += static_cast<char>(kivformat::encoded_spec::kValueString);
    Word(static_cast<uint32_t>(value.size()));
    bytes_ += value;
    return *this;
  }
  EncodedSpecBuilder& Float(double value) {
    bytes_ += static_cast<char>(kivformat::encoded_spec::kValueFloat);
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    Word(static_cast<uint32_t>(bits >> 32));
    return Word(static_cast<uint32_t>(bits));
  }
  EncodedSpecBuilder& Boolean(bool value) {
    bytes_ += static_cast<char>(kivformat::encoded_spec::kValueBoolean);
    bytes_ += static_cast<char>(value ? 1 : 0);
    return *this;
  }
  EncodedSpecBuilder& None() {
    bytes_ += static_cast<char>(kivformat::encoded_spec::kValueNone);
    return *this;
  }

  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};
