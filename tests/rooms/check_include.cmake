# cmake -DCXX= -DINCLUDES=a|b -DSOURCE_DIR= -DHEADER=room/x.h -DMAY=yes|no -DWORK= -P check_include.cmake
# Compiles `#include "HEADER"` with those include folders. A refusal counts
# only when the compiler could not find the header, not for any other error.
if(NOT EXISTS ${SOURCE_DIR}/${HEADER})
  message(FATAL_ERROR "${HEADER} is not in the tree: the case checks nothing")
endif()
string(REPLACE "|" ";" includes "${INCLUDES}")
set(flags)
foreach(dir IN LISTS includes)
  list(APPEND flags -I${dir})
endforeach()
file(MAKE_DIRECTORY ${WORK})
file(WRITE ${WORK}/include.cpp "#include \"${HEADER}\"\n")
execute_process(
  COMMAND ${CXX} -std=c++17 -fPIC -fsyntax-only ${flags} ${WORK}/include.cpp
  RESULT_VARIABLE status
  ERROR_VARIABLE errors
  OUTPUT_QUIET)
string(FIND "${errors}" "${HEADER}: No such file" not_found_gcc)
string(FIND "${errors}" "'${HEADER}' file not found" not_found_clang)
if(MAY)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${HEADER} should compile here:\n${errors}")
  endif()
elseif(status EQUAL 0)
  message(FATAL_ERROR "${HEADER} is seen by a target that does not link its room")
elseif(not_found_gcc EQUAL -1 AND not_found_clang EQUAL -1)
  message(FATAL_ERROR "${HEADER} failed for another reason than not being found:\n${errors}")
endif()
