#include "info/info_answers.h"

#include <iomanip>
#include <ios>

namespace kivinfo {

namespace {

// Restores the number format and fill of a stream when it goes out of scope.
class StreamFormatGuard {
 public:
  explicit StreamFormatGuard(std::ostream& stream)
      : stream_(stream), flags_(stream.flags()), fill_(stream.fill()) {}
  ~StreamFormatGuard() {
    stream_.flags(flags_);
    stream_.fill(fill_);
  }
  StreamFormatGuard(const StreamFormatGuard&) = delete;
  StreamFormatGuard& operator=(const StreamFormatGuard&) = delete;

 private:
  std::ostream& stream_;
  std::ios_base::fmtflags flags_;
  char fill_;
};

// "<decimal> (0x<hex>): " with the hex digits of the unsigned 32-bit value,
// so a negative code shows all eight of them.
void WriteNumberPair(std::ostream& out, int64_t decimal, uint32_t bits,
                     int hexWidth) {
  StreamFormatGuard guard(out);
  out << std::dec << decimal << " (0x" << std::hex << std::uppercase
      << std::setfill('0') << std::setw(hexWidth) << bits << "): ";
}

}  // namespace

void AnswerAddCodeResult(std::ostream& out, int32_t code) {
  out << "Add code error ";
  WriteNumberPair(out, code, static_cast<uint32_t>(code), 2);
  out << KivAddCodeResultToString(code) << '\n';
}

void AnswerRunResult(std::ostream& out, int32_t code) {
  out << "Run error ";
  WriteNumberPair(out, code, static_cast<uint32_t>(code), 2);
  out << KivRunResultToString(code) << '\n';
}

void AnswerProgramCounter(std::ostream& out, KivSourceInfo* info,
                          uint32_t programCounter) {
  out << "Program counter ";
  WriteNumberPair(out, programCounter, programCounter, 7);
  const KivSourceLocation location = KivGetSourceLocation(info, programCounter);
  StreamFormatGuard guard(out);
  if (location.fileName == nullptr)
    out << "No source";
  else
    out << location.fileName << ':' << std::dec << location.line << ':'
        << location.column;
  out << '\n';
}

void AnswerSymbol(std::ostream& out, KivSourceInfo* info, int32_t symbol) {
  StreamFormatGuard guard(out);
  out << "Symbol " << std::dec << symbol << ": ";
  const char* name = KivGetSymbolName(info, symbol);
  if (name == nullptr)
    out << "? (name information not present)";
  else if (*name == '\0')
    out << "? (symbol not found)";
  else
    out << name;
  out << '\n';
}

void ListSourceFiles(std::ostream& out, KivSourceInfo* info) {
  StreamFormatGuard guard(out);
  out << "Source file names:\n";
  for (uint32_t i = 0;; ++i) {
    const char* name = KivGetSourceFileName(info, i);
    if (name == nullptr) break;
    out << std::dec << std::setfill(' ') << std::right << std::setw(4) << i
        << ". " << name << '\n';
  }
  out << "-\n";
}

}  // namespace kivinfo
