#pragma once
#include <string>
#include <string_view>

// Text converted by a code-page call shaped as MultiByteToWideChar or
// WideCharToMultiByte (the platform's, passed in): the size is asked for
// first, and no count the call hands back is trusted beyond the buffer.
namespace common {

using ToUtf16Call = int (*)(const char* text, int length, char16_t* out, int outLength);
using FromUtf16Call = int (*)(const char16_t* text, int length, char* out, int outLength);

// Empty when the text is empty or the call fails.
std::u16string FromCodePage(std::string_view text, ToUtf16Call convert);
std::string ToCodePage(std::u16string_view text, FromUtf16Call convert);

}  // namespace common
