// ANSI conversions of the seam, with Windows-1252 as the ANSI code page and
// the counting rules of MultiByteToWideChar / WideCharToMultiByte.
#include "platform/text.h"
#include "sim/core/handles.h"
#include "sim/core/text_codec.h"

namespace platform {
namespace {

template <typename In>
int Length(const In* text, int length) {
  if (length >= 0) return length;
  int n = 0;
  while (text[n] != 0) ++n;
  return n + 1;  // -1 counts the terminator too
}

int Fail(Status status) {
  sim::SetLastError(status);
  return 0;
}

}  // namespace

int AnsiToWide(const char* text, int length, char16_t* out, int outLength) {
  if (text == nullptr || length == 0 || outLength < 0) return Fail(kErrorInvalidParameter);
  const int count = Length(text, length);
  if (outLength == 0) return count;
  if (out == nullptr) return Fail(kErrorInvalidParameter);
  if (outLength < count) return Fail(kErrorInsufficientBuffer);
  for (int i = 0; i < count; ++i) out[i] = sim::AnsiByteToWide(static_cast<unsigned char>(text[i]));
  return count;
}

int WideToAnsi(const char16_t* text, int length, char* out, int outLength) {
  if (text == nullptr || length == 0 || outLength < 0) return Fail(kErrorInvalidParameter);
  const int count = Length(text, length);
  if (outLength == 0) return count;
  if (out == nullptr) return Fail(kErrorInvalidParameter);
  if (outLength < count) return Fail(kErrorInsufficientBuffer);
  for (int i = 0; i < count; ++i) {
    unsigned char b = '?';  // the system's default character
    sim::WideToAnsiByte(text[i], &b);
    out[i] = static_cast<char>(b);
  }
  return count;
}

}  // namespace platform
