#include "standin/engine/value_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace standin {

namespace {

std::string QuotedText(const DataArea& data, uint32_t string) {
  const size_t length = data.At(string)->count;
  bool hasSingle = false, hasDouble = false;
  for (size_t i = 0; i < length; ++i) {
    char c = data.CharAt(string, i);
    hasSingle |= c == '\'';
    hasDouble |= c == '"';
  }
  const char quote = hasSingle && !hasDouble ? '"' : '\'';
  std::string text(1, quote);
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(data.CharAt(string, i));
    switch (c) {
      case '\\':
        text += "\\\\";
        break;
      case '\n':
        text += "\\n";
        break;
      case '\r':
        text += "\\r";
        break;
      case '\t':
        text += "\\t";
        break;
      default:
        if (c == static_cast<unsigned char>(quote)) {
          text += '\\';
          text += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\x%02x", c);
          text += escape;
        } else {
          text += static_cast<char>(c);
        }
    }
  }
  return text + quote;
}

}  // namespace

std::string FloatText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  // Shortest scientific form that reads back exactly.
  char buffer[40];
  for (int precision = 0; precision <= 16; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*e", precision, value);
    if (std::strtod(buffer, nullptr) == value) break;
  }
  std::string scientific(buffer);
  const size_t e = scientific.find('e');
  const int exponent = std::atoi(scientific.c_str() + e + 1);
  std::string digits;
  for (size_t i = 0; i < e; ++i)
    if (scientific[i] >= '0' && scientific[i] <= '9') digits += scientific[i];
  const std::string sign =
      value < 0 || (value == 0 && std::signbit(value)) ? "-" : "";
  if (exponent < -4 || exponent >= 16) {
    std::string text = sign + digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "e%c%02d", exponent < 0 ? '-' : '+',
                  std::abs(exponent));
    return text + tail;
  }
  if (exponent < 0)
    return sign + "0." + std::string(static_cast<size_t>(-exponent - 1), '0') +
           digits;
  const size_t whole = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= whole)
    return sign + digits + std::string(whole - digits.size(), '0') + ".0";
  return sign + digits.substr(0, whole) + "." + digits.substr(whole);
}

std::string ValueText(const DataArea& data, uint32_t value, bool quoted) {
  const KivDataEntry& entry = *data.At(value);
  switch (entry.kind) {
    case EntryKind::None:
      return "None";
    case EntryKind::Ellipsis:
      return "Ellipsis";
    case EntryKind::Boolean:
      return entry.boolean ? "True" : "False";
    case EntryKind::Integer:
      return std::to_string(entry.integer);
    case EntryKind::Float:
      return FloatText(entry.real);
    case EntryKind::String: {
      if (quoted) return QuotedText(data, value);
      std::string text(entry.count, '\0');
      data.CopyText(value, 0, &text[0], text.size());
      return text;
    }
    case EntryKind::Tuple: {
      std::string text = "(";
      for (size_t i = 0; i < entry.count; ++i) {
        if (i > 0) text += ", ";
        text += ValueText(data, data.Element(value, i), true);
      }
      return text + (entry.count == 1 ? ",)" : ")");
    }
    default:
      return "<internal>";
  }
}

}  // namespace standin
