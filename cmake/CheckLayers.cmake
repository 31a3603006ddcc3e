cmake_policy(SET CMP0057 NEW)
# Fails when a file of a module includes a header of a module that is not
# below it. Called at build time for each module (see src/CMakeLists.txt):
#   cmake -DMODULE=name -DALLOWED=a,b,c -DFILES=f1,f2 -P CheckLayers.cmake
string(REPLACE "," ";" files "${FILES}")
string(REPLACE "," ";" allowed "${ALLOWED}")
foreach(file IN LISTS files)
  file(STRINGS "${file}" includes REGEX "^#include \"[a-z]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" folder "${line}")
    if(NOT folder IN_LIST allowed)
      message(FATAL_ERROR "${file} includes ${folder}/, which is not below ${MODULE}; "
                          "${MODULE} may include: ${allowed}")
    endif()
  endforeach()
endforeach()
