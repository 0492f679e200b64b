# Fails when BINARY needs a shared library beyond the C and C++ runtimes (and
# the sanitizers' runtimes in a sanitizer build).
execute_process(COMMAND readelf -d ${BINARY} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "readelf could not read ${BINARY}")
endif()
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dynamic}")
foreach(entry ${needed})
  string(REGEX REPLACE "Shared library: \\[([^]]+)\\]" "\\1" library "${entry}")
  if(NOT library MATCHES "^(libstdc\\+\\+|libc\\+\\+|libc\\+\\+abi|libm|libgcc_s|libc|libpthread|libdl|librt|ld-linux[-a-z0-9_.]*|libasan|libubsan)\\.so")
    message(FATAL_ERROR "The rules must need only the C++ standard library, but ${BINARY} needs ${library}")
  endif()
endforeach()
