# House settings shared by every target of the project.

add_library(linkwell_options INTERFACE)
target_compile_options(linkwell_options INTERFACE -Wall -Wextra -Wpedantic)
if(LINKWELL_WERROR)
  target_compile_options(linkwell_options INTERFACE -Werror)
endif()

if(LINKWELL_SANITIZE)
  # vptr checks trip over Qt's own uninstrumented classes; everything else stays on.
  set(_lw_san -fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${_lw_san})
  add_link_options(${_lw_san})
  # Tests widen their time bounds by this (tests/support/timebound.h).
  add_compile_definitions(LINKWELL_SANITIZED=1)
endif()

if(LINKWELL_FUZZ)
  set(_lw_fuzz -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${_lw_fuzz})
  add_link_options(-fsanitize=address,undefined)
endif()

# linkwell_add_test(NAME SOURCES... LIBS...)
# One Qt Test executable, registered with CTest and run on the offscreen platform
# so no display is needed.
function(linkwell_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test linkwell_options ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENV}")
endfunction()

# linkwell_room(TARGET [HEADERS header...])
# What TARGET's users may include, as "<room>/<header>" the way every include
# line in the tree is written. The door is a folder of the build tree holding
# one symbolic link named after the room (or, with HEADERS, a room folder of
# links to just those headers); it becomes TARGET's PUBLIC include folder, so
# only the targets that link TARGET see the room, and TARGET's own sources see
# it the same way. Neither the project root nor a room folder itself goes on
# the include path: store/limits.h would stand in for the system <limits.h>.
function(linkwell_room target)
  cmake_parse_arguments(R "" "" "HEADERS" ${ARGN})
  file(RELATIVE_PATH room ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(door ${PROJECT_BINARY_DIR}/rooms/${target})
  if(R_HEADERS)
    set(links)
    foreach(header IN LISTS R_HEADERS)
      list(APPEND links ${room}/${header} ${CMAKE_CURRENT_SOURCE_DIR}/${header})
    endforeach()
  else()
    set(links ${room} ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(IS_SYMLINK ${door}/${room})
    file(REMOVE ${door}/${room})
  endif()
  while(links)
    list(POP_FRONT links name points_to)
    get_filename_component(parent ${door}/${name} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${points_to} ${door}/${name} SYMBOLIC)
  endwhile()
  target_include_directories(${target} PUBLIC ${door})
endfunction()
