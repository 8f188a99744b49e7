#include "standin/engine/encoded_spec_reader.h"

#include "format/coding.h"
#include "format/encoded_spec_format.h"
#include "format/spec_file_format.h"
#include "format/value_coding.h"

namespace coding = kivformat::coding;
namespace spec_file = kivformat::spec_file;

namespace standin {

namespace es = kivformat::encoded_spec;

EncodedSpec::EncodedSpec(const uint8_t* bytes, size_t size)
    : bytes_(bytes), size_(bytes == nullptr ? 0 : size) {}

coding::MemoryReader EncodedSpec::ReaderAt(size_t offset) const {
  return coding::MemoryReader(coding::MemorySource(bytes_, size_), offset);
}

bool EncodedSpec::ReadHeader() {
  version_ = 0;
  features_ = 0;
  moduleCount_ = 1;
  coding::MemoryReader in = ReaderAt(0);
  if (size_ >= 2 && bytes_[0] == es::kHeaderMark &&
      bytes_[1] == es::kHeaderMark) {
    in.Skip(2);
    if (!in.GetByte(&version_) || version_ < es::kFirstVersionWithHeader)
      return false;
    if (version_ >= es::kFirstVersionWithFeatures && !in.GetByte(&features_))
      return false;
    uint32_t extraModules;
    if (!in.GetFixed32(&extraModules) || extraModules >= es::kExtraModulesLimit)
      return false;
    moduleCount_ = extraModules + 1;
  }
  imports_ = in.position();
  importCount_ = 0;
  for (;;) {
    coding::MemoryReader entry = in;
    uint8_t mark;
    uint32_t module;
    if (!entry.GetByte(&mark) || mark != es::kImport) break;
    if (!entry.GetFixed32(&module)) return false;
    in = entry;
    ++importCount_;
  }
  definitions_ = in.position();
  return true;
}

bool EncodedSpec::Validate() {
  if (!ReadHeader()) return false;
  Cursor cursor(*this);
  SpecDefinition definition;
  while (cursor.Next(&definition)) {
    if (definition.kind != DefinitionKind::Function) continue;
    Parameters parameters(*this, definition);
    SpecParameter parameter;
    while (parameters.Next(&parameter)) {
    }
    if (parameters.failed()) return false;
  }
  return !cursor.failed();
}

bool EncodedSpec::ImportedModule(uint32_t aliasNumber, int32_t* module) const {
  if (aliasNumber == 0 || aliasNumber > importCount_) return false;
  coding::MemoryReader in =
      ReaderAt(imports_ + es::kImportEntrySize * (aliasNumber - 1) + 1);
  uint32_t word;
  if (!in.GetFixed32(&word)) return false;
  *module = static_cast<int32_t>(word);
  return true;
}

bool EncodedSpec::FindDefinition(int32_t module, int32_t symbol,
                                 SpecDefinition* out) const {
  Cursor cursor(*this);
  SpecDefinition definition;
  while (cursor.Next(&definition)) {
    if (definition.module != module ||
        definition.kind == DefinitionKind::ClassEnd)
      continue;
    if (definition.dispatchSymbol == symbol) {
      *out = definition;
      return true;
    }
  }
  return false;
}

bool EncodedSpec::FindFunction(int32_t module, int32_t symbol,
                               SpecDefinition* out) const {
  SpecDefinition definition;
  if (!FindDefinition(module, symbol, &definition) ||
      definition.kind != DefinitionKind::Function)
    return false;
  *out = definition;
  return true;
}

bool EncodedSpec::ReadValue(size_t offset, SpecValue* out, size_t* next) const {
  coding::MemoryReader in = ReaderAt(offset);
  coding::Value read;
  if (!coding::GetValue(in, &read)) return false;
  SpecValue value;
  value.type = read.type;
  value.boolean = read.boolean;
  value.integer = read.integer;
  value.real = read.real;
  if (read.type == es::kValueString) {
    value.textOffset = static_cast<size_t>(
        reinterpret_cast<const uint8_t*>(read.text.data()) - bytes_);
    value.textLength = static_cast<uint32_t>(read.text.size());
  }
  *out = value;
  if (next != nullptr) *next = in.position();
  return true;
}

EncodedSpec::Cursor::Cursor(const EncodedSpec& spec)
    : spec_(spec), in_(spec.ReaderAt(spec.definitions_)) {
  nextImplied_ = spec_file::kFirstNameSymbol;
}

bool EncodedSpec::Cursor::Next(SpecDefinition* out) {
  if (failed_) return false;
  const bool named = spec_.version_ >= es::kFirstVersionWithHeader;
  // The entry is read with a copy of the reader, which replaces in_ only
  // once the whole entry has been read.
  coding::MemoryReader in = in_;
  uint8_t mark;
  for (;;) {
    if (!in.GetByte(&mark)) {
      if (classDepth_ > 0) failed_ = true;
      return false;
    }
    if (mark != es::kModuleBegin) break;
    // Module begins appear only where a version 1+ header counts modules.
    if (!named || classDepth_ > 0 ||
        -module_ + 1 >= static_cast<int64_t>(spec_.moduleCount_)) {
      failed_ = true;
      return false;
    }
    --module_;
    in_ = in;
  }
  SpecDefinition definition;
  definition.module = module_;
  uint32_t word;
  if (mark == es::kConstant) {
    definition.kind = DefinitionKind::Constant;
    if (named) {
      if (!in.GetFixed32(&word)) return failed_ = true, false;
      definition.symbol = static_cast<int32_t>(word);
    } else {
      definition.symbol = nextImplied_++;
    }
    definition.value = in.position();
    coding::Value value;
    if (!coding::GetValue(in, &value)) return failed_ = true, false;
  } else if (mark == es::kClassBegin && !named) {
    definition.kind = DefinitionKind::BareName;
    definition.symbol = nextImplied_++;
  } else if (mark == es::kClassBegin) {
    coding::MemoryReader classEnd = in;
    uint8_t next;
    if (!classEnd.GetByte(&next)) return failed_ = true, false;
    if (next == es::kClassEnd[1]) {
      if (classDepth_ == 0) return failed_ = true, false;
      --classDepth_;
      definition.kind = DefinitionKind::ClassEnd;
      in = classEnd;
    } else {
      if (!in.GetFixed32(&word) || (word & es::kClassFlag) == 0)
        return failed_ = true, false;
      definition.kind = DefinitionKind::ClassBegin;
      definition.symbol = static_cast<int32_t>(word & ~es::kClassFlag);
      ++classDepth_;
    }
  } else if (mark <= es::kLongParameterCount) {
    definition.kind = DefinitionKind::Function;
    definition.parameterCount = mark;
    if (named) {
      if (!in.GetFixed32(&word)) return failed_ = true, false;
      if (spec_.version_ >= es::kFirstVersionWithFeatures &&
          (word & es::kMemberFunctionFlag) != 0) {
        definition.member = true;
        word &= ~es::kMemberFunctionFlag;
      }
      definition.symbol = static_cast<int32_t>(word);
    } else {
      definition.symbol = nextImplied_++;
    }
    if (mark == es::kLongParameterCount) {
      if (!in.GetFixed32(&word)) return failed_ = true, false;
      definition.parameterCount = word;
    }
    definition.dispatchSymbol = definition.symbol;
    if (definition.member) {
      if (!in.GetFixed32(&word)) return failed_ = true, false;
      definition.dispatchSymbol = static_cast<int32_t>(word);
    }
    definition.parameters = in.position();
    Parameters parameters(spec_, definition);
    SpecParameter parameter;
    while (parameters.Next(&parameter)) {
    }
    if (parameters.failed()) return failed_ = true, false;
    in = spec_.ReaderAt(parameters.end());
  } else {
    return failed_ = true, false;
  }
  if (definition.kind != DefinitionKind::Function)
    definition.dispatchSymbol = definition.symbol;
  in_ = in;
  *out = definition;
  return true;
}

EncodedSpec::Parameters::Parameters(const EncodedSpec& spec,
                                    const SpecDefinition& function)
    : in_(spec.ReaderAt(function.parameters)),
      remaining_(function.parameterCount) {}

bool EncodedSpec::Parameters::Next(SpecParameter* out) {
  if (failed_ || remaining_ == 0) return false;
  uint32_t word;
  if (!in_.GetFixed32(&word)) return failed_ = true, false;
  SpecParameter parameter;
  parameter.symbol = static_cast<int32_t>(word & ~es::kParameterFlagMask);
  switch (word & es::kParameterFlagMask) {
    case 0:
      break;
    case es::kParameterDefaultFlag: {
      parameter.hasDefault = true;
      parameter.value = in_.position();
      coding::Value value;
      if (!coding::GetValue(in_, &value)) return failed_ = true, false;
      break;
    }
    case es::kParameterTupleGroupFlag:
      parameter.kind = ParameterKindCode::TupleGroup;
      break;
    case es::kParameterDictionaryGroupFlag:
      parameter.kind = ParameterKindCode::DictionaryGroup;
      break;
    default:
      return failed_ = true, false;
  }
  --remaining_;
  *out = parameter;
  return true;
}

}  // namespace standin
