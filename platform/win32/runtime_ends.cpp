// The few ways the C++ library can fail inside a program of the suite:
// memory exhausted, a length beyond a container's maximum, an index out of
// range. The programs neither throw nor catch, so each of these ends the
// process at once with one exit code instead of pulling in the library's
// exception classes, the unwinder and the verbose terminate handler.
#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

// STATUS_NO_MEMORY: what Windows itself ends a process with when the heap
// is gone; the framework sees a failed run, never a partial success.
constexpr UINT kLibraryFailureExitCode = 0xC0000017u;

[[noreturn]] void EndProcess() {
  ::ExitProcess(kLibraryFailureExitCode);
  for (;;) {
  }
}

void* Allocate(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) EndProcess();
  return block;
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size == 0 ? 1 : size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size == 0 ? 1 : size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

// The library's inline code calls these where it would throw.
namespace std {
void __throw_bad_alloc() { EndProcess(); }
void __throw_bad_array_new_length() { EndProcess(); }
void __throw_length_error(const char*) { EndProcess(); }
void __throw_logic_error(const char*) { EndProcess(); }
void __throw_out_of_range(const char*) { EndProcess(); }
void __throw_out_of_range_fmt(const char*, ...) { EndProcess(); }
void __throw_invalid_argument(const char*) { EndProcess(); }
void __throw_bad_function_call() { EndProcess(); }
}  // namespace std

// A pure virtual call or an unexpected terminate: the same end.
extern "C" void __cxa_pure_virtual() { EndProcess(); }
