// Puts and gets the fixed-width numbers of every Kiv file format, most
// significant byte first: 32- and 64-bit unsigned integers and IEEE-754
// doubles. ByteReader is the one reader of them: it takes them from the front
// of a byte source and moves past what it took, refusing to read beyond the
// end. The generator's writers and every stand-in reader and writer code
// their numbers here; what the numbers mean is each *_format.h header's
// business, and this one includes none of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kivformat {
namespace coding {

constexpr size_t kFixed32Size = 4;
constexpr size_t kFixed64Size = 8;

// A double travels as the 64 bits of its IEEE-754 form.
static_assert(sizeof(double) == sizeof(uint64_t), "IEEE-754 double expected");

inline void PutFixed32(std::string& out, uint32_t value) {
  const char bytes[kFixed32Size] = {
      static_cast<char>(value >> 24), static_cast<char>(value >> 16),
      static_cast<char>(value >> 8), static_cast<char>(value)};
  out.append(bytes, kFixed32Size);
}

inline void PutFixed64(std::string& out, uint64_t value) {
  PutFixed32(out, static_cast<uint32_t>(value >> 32));
  PutFixed32(out, static_cast<uint32_t>(value));
}

inline void PutDouble(std::string& out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  PutFixed64(out, bits);
}

// The number at `bytes`; the caller has made sure that all of it is there.
// ByteReader is the checked way to read one.
inline uint32_t DecodeFixed32(const uint8_t* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 |
         uint32_t{bytes[2]} << 8 | uint32_t{bytes[3]};
}

inline uint64_t DecodeFixed64(const uint8_t* bytes) {
  return uint64_t{DecodeFixed32(bytes)} << 32 |
         DecodeFixed32(bytes + kFixed32Size);
}

// Bytes held in memory: a file read whole, a generated record. A ByteReader
// over them can also hand out runs of bytes in place.
class MemorySource {
 public:
  MemorySource(const uint8_t* data, size_t size)
      : data_(data), size_(data == nullptr ? 0 : size) {}
  explicit MemorySource(std::string_view bytes)
      : MemorySource(reinterpret_cast<const uint8_t*>(bytes.data()),
                     bytes.size()) {}

  // The `count` bytes at `offset`, or false when they run past the end.
  bool View(size_t offset, size_t count, const uint8_t** out) const {
    if (offset > size_ || count > size_ - offset) return false;
    *out = data_ + offset;
    return true;
  }
  bool Read(size_t offset, uint8_t* out, size_t count) const {
    const uint8_t* at;
    if (!View(offset, count, &at)) return false;
    if (count > 0) std::memcpy(out, at, count);
    return true;
  }
  size_t size() const { return size_; }

 private:
  const uint8_t* data_;
  size_t size_;
};

// Reads from the front of a Source, which offers
//   bool Read(size_t offset, uint8_t* out, size_t count)
// and fails when the bytes are not all there. Every Get moves past what it
// read; when the source holds too few bytes it returns false, and the
// position and the output stay as they were. A reader is a small value:
// copying it keeps a position to come back to.
template <typename Source>
class ByteReader {
 public:
  explicit ByteReader(Source source, size_t position = 0)
      : source_(source), position_(position) {}

  bool GetByte(uint8_t* out) { return Take(out, 1); }
  bool GetFixed32(uint32_t* out) {
    uint8_t bytes[kFixed32Size];
    if (!Take(bytes, sizeof bytes)) return false;
    *out = DecodeFixed32(bytes);
    return true;
  }
  bool GetFixed64(uint64_t* out) {
    uint8_t bytes[kFixed64Size];
    if (!Take(bytes, sizeof bytes)) return false;
    *out = DecodeFixed64(bytes);
    return true;
  }
  bool GetDouble(double* out) {
    uint64_t bits;
    if (!GetFixed64(&bits)) return false;
    std::memcpy(out, &bits, sizeof bits);
    return true;
  }

  // Only for a MemorySource: the next `count` bytes, left in place.
  bool GetBytes(size_t count, std::string_view* out) {
    const uint8_t* at;
    if (!source_.View(position_, count, &at)) return false;
    *out = std::string_view(reinterpret_cast<const char*>(at), count);
    position_ += count;
    return true;
  }
  bool Skip(size_t count) {
    std::string_view skipped;
    return GetBytes(count, &skipped);
  }
  bool AtEnd() const { return position_ == source_.size(); }

  size_t position() const { return position_; }
  Source& source() { return source_; }
  const Source& source() const { return source_; }

 private:
  bool Take(uint8_t* out, size_t count) {
    if (!source_.Read(position_, out, count)) return false;
    position_ += count;
    return true;
  }

  Source source_;
  size_t position_;
};

using MemoryReader = ByteReader<MemorySource>;

}  // namespace coding
}  // namespace kivformat
