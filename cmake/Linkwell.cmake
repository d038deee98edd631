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
