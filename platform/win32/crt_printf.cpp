// The printf family of the programs, on the system C runtime (msvcrt) rather
// than mingw's own C99 implementation, whose floating-point formatting
// would come along with the first snprintf. The programs format only
// integers and strings (%d, %u, %lu, %X with widths, %s), which msvcrt
// formats the same way. C99's return value is kept: the length the whole
// text needs, and a terminated, cut text when it does not fit.
#include <cstdarg>
#include <cstddef>

extern "C" {

int _vsnprintf(char* buffer, std::size_t count, const char* format, va_list arguments);
int _vscprintf(const char* format, va_list arguments);

int __mingw_vsnprintf(char* buffer, std::size_t count, const char* format, va_list arguments) {
  va_list measure;
  va_copy(measure, arguments);
  const int needed = _vscprintf(format, measure);
  va_end(measure);
  if (count > 0) {
    const int written = _vsnprintf(buffer, count, format, arguments);
    if (written < 0 || static_cast<std::size_t>(written) >= count) buffer[count - 1] = '\0';
  }
  return needed;
}

}  // extern "C"
