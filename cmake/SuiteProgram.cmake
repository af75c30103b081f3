# add_suite_program(NAME DESCRIPTION text SOURCES ... LIBRARIES ... ROOMS ... [GUI] [WIDE_ARGUMENTS])
# One program of the suite: its sources, the seam's entry point, and on
# Windows a version resource. ROOMS are the folders its own sources include
# from (see suite_rooms). WIDE_ARGUMENTS: the C runtime hands the program
# UTF-16 arguments (wmain) instead of narrow ones (main).
function(add_suite_program name)
  cmake_parse_arguments(ARG "GUI;WIDE_ARGUMENTS" "DESCRIPTION" "SOURCES;LIBRARIES;ROOMS" ${ARGN})
  set(entry suite_entry)
  set(resources)
  if(WIN32)
    set(SUITE_PROGRAM_NAME ${name})
    set(SUITE_PROGRAM_DESCRIPTION "${ARG_DESCRIPTION}")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc @ONLY)
    set(resources ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc)
    if(ARG_WIDE_ARGUMENTS)
      set(entry suite_entry_wide)
    endif()
  endif()
  add_executable(${name} ${ARG_SOURCES} ${resources} $<TARGET_OBJECTS:${entry}>)
  if(WIN32 AND ARG_WIDE_ARGUMENTS)
    target_link_options(${name} PRIVATE -municode)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} suite_platform)
  suite_rooms(${name} ${ARG_ROOMS})
  if(WIN32 AND ARG_GUI)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
endfunction()
