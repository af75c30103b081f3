# What every Windows build compiles and links with, the deliverables and the
# x86_64 Wine build alike, so that what the Wine tests run is what ships.
#
# The C++ runtime stays out of the programs: no exception machinery (the
# program code neither throws nor catches; the library's own failures end the
# process, see platform/win32/runtime_ends.cpp), no RTTI, no guard around
# function-local statics, no unwind tables, and unused sections dropped.
set(SUITE_WINDOWS_LEAN_FLAGS
    "-fno-exceptions -fno-rtti -fno-threadsafe-statics -fno-asynchronous-unwind-tables -fno-unwind-tables -ffunction-sections -fdata-sections")
set(CMAKE_C_FLAGS_INIT "-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables")
set(CMAKE_CXX_FLAGS_INIT "${SUITE_WINDOWS_LEAN_FLAGS}")
# Only system DLLs may be imported: the compiler runtime goes in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
