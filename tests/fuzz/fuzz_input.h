#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// Takes an input apart into the pieces a fuzz target needs.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  // The next count bytes (fewer at the end of the input).
  std::string Bytes(std::size_t count) {
    const std::size_t take = count < size_ - at_ ? count : size_ - at_;
    std::string bytes(reinterpret_cast<const char*>(data_ + at_), take);
    at_ += take;
    return bytes;
  }
  std::string Rest() { return Bytes(size_ - at_); }
  // Pairs of bytes as little-endian code units; an odd last byte is dropped.
  std::u16string Units(std::size_t count) {
    std::u16string units;
    while (units.size() < count && at_ + 1 < size_) {
      units += static_cast<char16_t>(data_[at_] | (data_[at_ + 1] << 8));
      at_ += 2;
    }
    return units;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

// The oracle's verdict: a wrong answer ends the run as a finding.
#define FUZZ_CHECK(condition)                                                                   \
  do {                                                                                          \
    if (!(condition)) {                                                                         \
      std::fprintf(stderr, "oracle failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);      \
      std::abort();                                                                             \
    }                                                                                           \
  } while (0)
