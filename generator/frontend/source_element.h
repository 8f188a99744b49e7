// The values the spec front end produces: a location in a spec source and the
// base class of every token and grammar element. Elements travel as owning raw
// pointers and are deleted through the virtual destructor by whoever does not
// pass them on.
#pragma once

#include <cstdint>
#include <string>

namespace kivg {

// The name of a spec source as locations hold it. Every token and element
// carries a location, so each name is kept once, for the whole process, and
// a location holds only a pointer to it.
class FileName {
 public:
  FileName() = default;               // the empty name: no location
  FileName(const std::string& name);  // NOLINT: names convert implicitly
  FileName(const char* name) : FileName(std::string(name)) {}  // NOLINT

  const std::string& str() const;
  bool empty() const { return name_ == nullptr; }

  friend bool operator==(const FileName& a, const FileName& b) {
    return a.name_ == b.name_;
  }
  friend bool operator!=(const FileName& a, const FileName& b) {
    return a.name_ != b.name_;
  }

 private:
  const std::string* name_ = nullptr;  // null for the empty name
};

// Line and column are 64-bit counts: a single line may be longer than 2^32
// characters without its column wrapping or overflowing.
struct SourceLocation {
  FileName fileName;   // empty: no location
  int64_t line = 0;    // 1-based; 0 means no location
  int64_t column = 0;  // 1-based

  SourceLocation() = default;
  SourceLocation(FileName file, int64_t l, int64_t c)
      : fileName(file), line(l), column(c) {}

  bool HasFileName() const { return !fileName.empty(); }
};

class SourceElement {
 public:
  SourceElement() = default;
  explicit SourceElement(const SourceLocation& where) : location(where) {}
  SourceElement(const SourceElement&) = default;
  SourceElement& operator=(const SourceElement&) = default;
  virtual ~SourceElement() = default;

  void SetLocation(const SourceElement& other) { location = other.location; }

  SourceLocation location;
};

// Base of everything a grammar action builds.
class NonTerminal : public SourceElement {
 public:
  using SourceElement::SourceElement;
};

// "file:line:column", the prefix of every located message. Line and column
// print as unsigned numbers.
inline std::string FormatLocation(const SourceLocation& location) {
  return location.fileName.str() + ":" +
         std::to_string(static_cast<uint64_t>(location.line)) + ":" +
         std::to_string(static_cast<uint64_t>(location.column));
}

}  // namespace kivg
