// Reads the encoded app spec that generated code hands to the engine in its
// KivAppSpec record: the header, the import entries and, one by one, the
// definitions of every module with their parameters and default values.
// Decodes on demand from the record's bytes and keeps no copy, so it can live
// inside the engine object. Used by the stand-in engine to bind call
// arguments, and by tests to see what a generated record declares.
#pragma once

#include <cstddef>
#include <cstdint>

#include "format/coding.h"

namespace standin {

enum class DefinitionKind : uint8_t {
  Constant,
  BareName,
  Function,
  ClassBegin,
  ClassEnd
};
enum class ParameterKindCode : uint8_t {
  Positional,
  TupleGroup,
  DictionaryGroup
};

// One literal value inside the spec bytes; a string is left in place.
struct SpecValue {
  uint8_t type = 0;  // an kivformat::encoded_spec::kValue* number
  bool boolean = false;
  int32_t integer = 0;
  double real = 0;
  size_t textOffset = 0;
  uint32_t textLength = 0;
};

struct SpecDefinition {
  DefinitionKind kind = DefinitionKind::Constant;
  int32_t module = 0;          // engine module symbol: 0, -1, -2, ...
  int32_t symbol = 0;          // the simple name's symbol
  int32_t dispatchSymbol = 0;  // the qualified name's symbol for members
  bool member = false;
  uint32_t parameterCount = 0;
  size_t parameters = 0;  // offset of the first parameter item
  size_t value = 0;       // offset of a constant's value
};

struct SpecParameter {
  int32_t symbol = 0;
  ParameterKindCode kind = ParameterKindCode::Positional;
  bool hasDefault = false;
  size_t value = 0;  // offset of the default's value
};

class EncodedSpec {
 public:
  EncodedSpec() = default;
  EncodedSpec(const uint8_t* bytes, size_t size);

  // Reads the header and checks that every entry lies within the bytes and is
  // well formed; nothing else may be asked of a spec that fails.
  bool Validate();

  uint8_t version() const { return version_; }
  uint8_t features() const { return features_; }
  uint32_t moduleCount() const { return moduleCount_; }
  uint32_t importCount() const { return importCount_; }
  const uint8_t* bytes() const { return bytes_; }

  // Engine module symbol of the module imported under the alias at position
  // aliasNumber (1-based); false when there is none.
  bool ImportedModule(uint32_t aliasNumber, int32_t* module) const;

  // The module-level function (or a member, by qualified-name symbol) that a
  // call of (module, symbol) reaches.
  bool FindFunction(int32_t module, int32_t symbol, SpecDefinition* out) const;
  bool FindDefinition(int32_t module, int32_t symbol,
                      SpecDefinition* out) const;

  bool ReadValue(size_t offset, SpecValue* out, size_t* next) const;

  // Walks the definitions in file order.
  class Cursor {
   public:
    explicit Cursor(const EncodedSpec& spec);
    // False at the end or at malformed bytes (then failed() is true).
    bool Next(SpecDefinition* out);
    bool failed() const { return failed_; }

   private:
    const EncodedSpec& spec_;
    kivformat::coding::MemoryReader in_;  // at the next entry
    int32_t module_ = 0;
    int32_t nextImplied_ = 0;
    uint32_t classDepth_ = 0;
    bool failed_ = false;
  };

  // Walks the parameters of one function.
  class Parameters {
   public:
    Parameters(const EncodedSpec& spec, const SpecDefinition& function);
    bool Next(SpecParameter* out);
    bool failed() const { return failed_; }
    // Offset just past the parameters read so far.
    size_t end() const { return in_.position(); }

   private:
    kivformat::coding::MemoryReader in_;
    uint32_t remaining_;
    bool failed_ = false;
  };

 private:
  // A reader of the spec's bytes from `offset` on.
  kivformat::coding::MemoryReader ReaderAt(size_t offset) const;
  bool ReadHeader();

  const uint8_t* bytes_ = nullptr;
  size_t size_ = 0;
  uint8_t version_ = 0;
  uint8_t features_ = 0;
  uint32_t moduleCount_ = 1;
  uint32_t importCount_ = 0;
  size_t imports_ = 0;      // offset of the first import entry
  size_t definitions_ = 0;  // offset of the first definition entry
};

}  // namespace standin
