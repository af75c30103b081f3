# The "all" preset: the native build also configures and builds the win32,
# win64 and sanitize presets (each in its own folder), and its tests include
# the sanitize preset's, so one workflow builds and tests everything.
option(SUITE_OTHER_PRESETS "Also build the win32, win64 and sanitize presets and run the sanitized tests" OFF)
if(SUITE_OTHER_PRESETS)
  set(preset_commands)
  foreach(preset win32 win64 sanitize)
    list(APPEND preset_commands
         COMMAND ${CMAKE_COMMAND} --preset ${preset}
         COMMAND ${CMAKE_COMMAND} --build --preset ${preset})
  endforeach()
  add_custom_target(other_presets ALL ${preset_commands}
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} USES_TERMINAL
                    COMMENT "Building the win32, win64 and sanitize presets")
  add_test(NAME sanitized_tests COMMAND ${CMAKE_CTEST_COMMAND} --preset sanitize
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(sanitized_tests PROPERTIES LABELS sanitize TIMEOUT 3600 RUN_SERIAL TRUE)
endif()
