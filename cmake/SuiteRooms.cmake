# suite_rooms(TARGET room...): the top folders of the tree whose headers the
# target's sources may include, besides platform/ (the seam), which every
# target may. Each target gets a folder of links to exactly those rooms, so
# that module code cannot include sim/ (or another program's room) by
# accident: such an include does not compile.
function(suite_rooms target)
  set(folder ${CMAKE_BINARY_DIR}/rooms/${target})
  file(MAKE_DIRECTORY ${folder})
  foreach(room platform ${ARGN})
    if(NOT IS_SYMLINK ${folder}/${room})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${room} ${folder}/${room} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE ${folder})
endfunction()
