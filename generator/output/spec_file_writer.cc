#include "generator/output/spec_file_writer.h"

#include <string>

#include "format/coding.h"
#include "format/spec_file_format.h"

namespace coding = kivformat::coding;
namespace spec_file = kivformat::spec_file;

namespace kivg {

namespace {

void WriteFileHeader(const Generator& generator, std::string& bytes) {
  bytes.append(spec_file::kMagic, spec_file::kMagicSize);
  bytes += static_cast<char>(generator.specFormatVersion);
  coding::PutFixed32(bytes, *generator.checkValue);
  if (generator.specFormatVersion >= spec_file::kFirstVersionWithFeatures)
    bytes += static_cast<char>(generator.features);
}

void WriteNames(const SymbolTable& symbols, size_t first, size_t end,
                char terminator, std::string& bytes) {
  for (size_t entry = first; entry < end; ++entry) {
    bytes += symbols.EntryAt(entry).first;
    bytes += terminator;
  }
}

}  // namespace

void WriteSpecFile(const Generator& generator, const ListedNames& names,
                   std::ostream& out) {
  if (!generator.finalized) throw std::string("Internal error: Not finalized");
  if (!generator.checkValue)
    throw std::string("Internal error: Check value not computed");
  if (!generator.symbolsAssigned)
    throw std::string("Internal error: Symbol not assigned");

  std::string bytes;
  WriteFileHeader(generator, bytes);
  const char terminator =
      static_cast<char>(spec_file::NameTerminator(generator.specFormatVersion));
  WriteNames(generator.nameSymbols, names.first, names.aliasEnd, terminator,
             bytes);
  if (generator.specFormatVersion >= spec_file::kFirstVersionWithAliasEnd)
    bytes += terminator;
  WriteNames(generator.nameSymbols, names.aliasEnd, names.end, terminator,
             bytes);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace kivg
