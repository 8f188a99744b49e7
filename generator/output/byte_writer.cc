#include "generator/output/byte_writer.h"

#include "format/coding.h"

namespace coding = kivformat::coding;

namespace kivg {

void AppendByteEscape(std::string& text, uint8_t byte) {
  static const char kHexDigits[] = "0123456789ABCDEF";
  if (byte == 0) {
    text += "\\0";
    return;
  }
  const char escape[4] = {'\\', 'x', kHexDigits[byte >> 4],
                          kHexDigits[byte & 0x0F]};
  text.append(escape, sizeof escape);
}

void AppendEscapes(std::string& text, const std::string& bytes) {
  text.reserve(text.size() + 4 * bytes.size());
  for (char byte : bytes) AppendByteEscape(text, static_cast<uint8_t>(byte));
}

void WriteByteEscape(std::ostream& out, uint8_t byte) {
  std::string text;
  AppendByteEscape(text, byte);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void WriteWordEscape(std::ostream& out, uint32_t word) {
  std::string bytes;
  coding::PutFixed32(bytes, word);
  std::string text;
  AppendEscapes(text, bytes);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace kivg
