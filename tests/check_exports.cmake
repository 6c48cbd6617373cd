# Checks the exported symbols, SONAME and dependencies of libvessa.so.
# Inputs: LIBRARY, VERSION_SCRIPT, HEADER.
execute_process(COMMAND nm -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE nm_out RESULT_VARIABLE nm_rc)
if(NOT nm_rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" nm_lines "${nm_out}")
set(exported "")
foreach(line IN LISTS nm_lines)
  string(REGEX MATCH "^[0-9a-f]+ ([A-Za-z]) ([^@ ]+)" _ "${line}")
  set(kind "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  if(kind STREQUAL "A")  # the version node itself
    continue()
  endif()
  list(APPEND exported "${name}")
endforeach()
list(SORT exported)

file(READ ${VERSION_SCRIPT} map_text)
string(REGEX MATCH "global:([^}]*)local:" _ "${map_text}")
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" expected "${CMAKE_MATCH_1}")
list(SORT expected)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "exported symbols differ from the version script\n"
    "exported: ${exported}\nexpected: ${expected}")
endif()

# Every exported name is declared in the public header, and vice versa.
file(READ ${HEADER} header_text)
string(REGEX MATCHALL "\nVESSA_API [^;(]+\\(" decls "${header_text}")
set(declared "")
foreach(decl IN LISTS decls)
  string(REGEX MATCH "([A-Za-z_][A-Za-z0-9_]*)\\($" _ "${decl}")
  list(APPEND declared "${CMAKE_MATCH_1}")
endforeach()
list(SORT declared)
if(NOT declared STREQUAL expected)
  message(FATAL_ERROR "header declarations differ from the version script\n"
    "declared: ${declared}\nexpected: ${expected}")
endif()

execute_process(COMMAND readelf -d ${LIBRARY} OUTPUT_VARIABLE dyn)
if(NOT dyn MATCHES "Library soname: \\[libvessa\\.so\\.1\\]")
  message(FATAL_ERROR "SONAME libvessa.so.1 missing:\n${dyn}")
endif()
string(REGEX MATCHALL "Shared library: \\[[^]]+\\]" needed "${dyn}")
foreach(dep IN LISTS needed)
  if(NOT dep MATCHES "\\[(libc|libm|libstdc\\+\\+|libgcc_s|libpthread|ld-linux[^]]*|libasan|libubsan|libtsan)\\.so")
    message(FATAL_ERROR "unexpected dependency: ${dep}")
  endif()
endforeach()
message(STATUS "exports: ${exported}")
