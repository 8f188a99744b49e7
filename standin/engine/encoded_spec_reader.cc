#include "standin/engine/encoded_spec_reader.h"

#include "format/coding.h"
#include "format/encoded_spec_format.h"
#include "format/spec_file_format.h"

namespace standin {

namespace es = encoded_spec;

EncodedSpec::EncodedSpec(const uint8_t* bytes, size_t size)
    : bytes_(bytes), size_(bytes == nullptr ? 0 : size) {}

bool EncodedSpec::Byte(size_t offset, uint8_t* out) const {
  if (offset >= size_) return false;
  *out = bytes_[offset];
  return true;
}

bool EncodedSpec::Word(size_t offset, uint32_t* out) const {
  if (offset > size_ || size_ - offset < coding::kWordSize) return false;
  *out = coding::GetWord(bytes_ + offset);
  return true;
}

bool EncodedSpec::ReadHeader() {
  size_t at = 0;
  version_ = 0;
  features_ = 0;
  moduleCount_ = 1;
  if (size_ >= 2 && bytes_[0] == es::kHeaderMark &&
      bytes_[1] == es::kHeaderMark) {
    at = 2;
    if (!Byte(at++, &version_) || version_ < es::kFirstVersionWithHeader)
      return false;
    if (version_ >= es::kFirstVersionWithFeatures && !Byte(at++, &features_))
      return false;
    uint32_t extraModules;
    if (!Word(at, &extraModules) || extraModules >= es::kExtraModulesLimit)
      return false;
    at += coding::kWordSize;
    moduleCount_ = extraModules + 1;
  }
  imports_ = at;
  importCount_ = 0;
  uint8_t mark;
  while (Byte(at, &mark) && mark == es::kImport) {
    uint32_t module;
    if (!Word(at + 1, &module)) return false;
    at += es::kImportEntrySize;
    ++importCount_;
  }
  definitions_ = at;
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
  uint32_t word;
  if (!Word(imports_ + es::kImportEntrySize * (aliasNumber - 1) + 1, &word))
    return false;
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
  size_t at = offset;
  coding::Value read;
  if (!coding::GetValue(bytes_, size_, &at, &read)) return false;
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
  if (next != nullptr) *next = at;
  return true;
}

EncodedSpec::Cursor::Cursor(const EncodedSpec& spec)
    : spec_(spec), offset_(spec.definitions_) {
  nextImplied_ = spec_file::kFirstNameSymbol;
}

bool EncodedSpec::Cursor::Next(SpecDefinition* out) {
  if (failed_) return false;
  const bool named = spec_.version_ >= es::kFirstVersionWithHeader;
  uint8_t mark;
  while (spec_.Byte(offset_, &mark) && mark == es::kModuleBegin) {
    // Module begins appear only where a version 1+ header counts modules.
    if (!named || classDepth_ > 0 ||
        -module_ + 1 >= static_cast<int64_t>(spec_.moduleCount_)) {
      failed_ = true;
      return false;
    }
    --module_;
    ++offset_;
  }
  if (!spec_.Byte(offset_, &mark)) {
    if (classDepth_ > 0) failed_ = true;
    return false;
  }
  SpecDefinition definition;
  definition.module = module_;
  size_t at = offset_ + 1;
  uint32_t word;
  if (mark == es::kConstant) {
    definition.kind = DefinitionKind::Constant;
    if (named) {
      if (!spec_.Word(at, &word)) return failed_ = true, false;
      definition.symbol = static_cast<int32_t>(word);
      at += coding::kWordSize;
    } else {
      definition.symbol = nextImplied_++;
    }
    definition.value = at;
    SpecValue value;
    if (!spec_.ReadValue(at, &value, &at)) return failed_ = true, false;
  } else if (mark == es::kClassBegin && !named) {
    definition.kind = DefinitionKind::BareName;
    definition.symbol = nextImplied_++;
  } else if (mark == es::kClassBegin) {
    uint8_t next;
    if (!spec_.Byte(at, &next)) return failed_ = true, false;
    if (next == es::kClassEnd[1]) {
      if (classDepth_ == 0) return failed_ = true, false;
      --classDepth_;
      definition.kind = DefinitionKind::ClassEnd;
      at += 1;
    } else {
      if (!spec_.Word(at, &word) || (word & es::kClassFlag) == 0)
        return failed_ = true, false;
      definition.kind = DefinitionKind::ClassBegin;
      definition.symbol = static_cast<int32_t>(word & ~es::kClassFlag);
      at += coding::kWordSize;
      ++classDepth_;
    }
  } else if (mark <= es::kLongParameterCount) {
    definition.kind = DefinitionKind::Function;
    definition.parameterCount = mark;
    if (named) {
      if (!spec_.Word(at, &word)) return failed_ = true, false;
      at += coding::kWordSize;
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
      if (!spec_.Word(at, &word)) return failed_ = true, false;
      definition.parameterCount = word;
      at += coding::kWordSize;
    }
    definition.dispatchSymbol = definition.symbol;
    if (definition.member) {
      if (!spec_.Word(at, &word)) return failed_ = true, false;
      definition.dispatchSymbol = static_cast<int32_t>(word);
      at += coding::kWordSize;
    }
    definition.parameters = at;
    Parameters parameters(spec_, definition);
    SpecParameter parameter;
    while (parameters.Next(&parameter)) {
    }
    if (parameters.failed()) return failed_ = true, false;
    at = parameters.end();
  } else {
    return failed_ = true, false;
  }
  if (definition.kind != DefinitionKind::Function)
    definition.dispatchSymbol = definition.symbol;
  offset_ = at;
  *out = definition;
  return true;
}

EncodedSpec::Parameters::Parameters(const EncodedSpec& spec,
                                    const SpecDefinition& function)
    : spec_(spec),
      offset_(function.parameters),
      remaining_(function.parameterCount) {}

bool EncodedSpec::Parameters::Next(SpecParameter* out) {
  if (failed_ || remaining_ == 0) return false;
  uint32_t word;
  if (!spec_.Word(offset_, &word)) return failed_ = true, false;
  offset_ += coding::kWordSize;
  SpecParameter parameter;
  parameter.symbol = static_cast<int32_t>(word & ~es::kParameterFlagMask);
  switch (word & es::kParameterFlagMask) {
    case 0:
      break;
    case es::kParameterDefaultFlag: {
      parameter.hasDefault = true;
      parameter.value = offset_;
      SpecValue value;
      if (!spec_.ReadValue(offset_, &value, &offset_))
        return failed_ = true, false;
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
