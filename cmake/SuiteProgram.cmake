# add_suite_program(NAME DESCRIPTION text SOURCES ... LIBRARIES ... ROOMS ... [GUI])
# One program of the suite: its sources, the seam's entry point, and on
# Windows a version resource. ROOMS are the folders its own sources include
# from (see suite_rooms).
function(add_suite_program name)
  cmake_parse_arguments(ARG "GUI" "DESCRIPTION" "SOURCES;LIBRARIES;ROOMS" ${ARGN})
  set(resources)
  if(WIN32)
    set(SUITE_PROGRAM_NAME ${name})
    set(SUITE_PROGRAM_DESCRIPTION "${ARG_DESCRIPTION}")
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc @ONLY)
    set(resources ${CMAKE_CURRENT_BINARY_DIR}/${name}_version.rc)
  endif()
  add_executable(${name} ${ARG_SOURCES} ${resources} $<TARGET_OBJECTS:suite_entry>)
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} suite_platform)
  suite_rooms(${name} ${ARG_ROOMS})
  if(WIN32 AND ARG_GUI)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
endfunction()
