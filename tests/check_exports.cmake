# Checks the exported symbols, SONAME and dependencies of libvessa.so.
# Inputs: LIBRARY, VERSION_SCRIPT, HEADER.
execute_process(COMMAND nm -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE nm_out RESULT_VARIABLE nm_rc)
if(NOT nm_rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" nm_lines "${nm_out}")
set(exported "")
set(nodes "")
foreach(line IN LISTS nm_lines)
  string(REGEX MATCH "^[0-9a-f]+ ([A-Za-z]) ([^@ ]+)(@@?([A-Za-z0-9_.]+))?" _ "${line}")
  set(kind "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  set(node "${CMAKE_MATCH_4}")
  if(kind STREQUAL "A")  # the version node itself
    list(APPEND nodes "${name}")
    continue()
  endif()
  list(APPEND exported "${name}")
  set(node_of_${name} "${node}")
endforeach()
list(SORT exported)

# Every version node of the script, with its names: each exported name must
# carry the node that lists it, and no other node may exist.
file(READ ${VERSION_SCRIPT} map_text)
string(REPLACE ";" " " map_text "${map_text}")  # not CMake list separators
string(REGEX MATCHALL "[A-Za-z0-9_.]+ {[^}]*}" map_nodes "${map_text}")
set(expected "")
set(expected_nodes "")
foreach(map_node IN LISTS map_nodes)
  string(REGEX MATCH "^([A-Za-z0-9_.]+) {[^}]*global:([^}]*)" _ "${map_node}")
  set(node "${CMAKE_MATCH_1}")
  string(REGEX REPLACE "local:.*" "" names "${CMAKE_MATCH_2}")
  string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" names "${names}")
  list(APPEND expected_nodes "${node}")
  foreach(name IN LISTS names)
    list(APPEND expected "${name}")
    if(NOT "${node_of_${name}}" STREQUAL "${node}")
      message(FATAL_ERROR "${name} is exported at '${node_of_${name}}', not at ${node}")
    endif()
  endforeach()
endforeach()
list(SORT expected)
list(SORT nodes)
list(SORT expected_nodes)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "exported symbols differ from the version script\n"
    "exported: ${exported}\nexpected: ${expected}")
endif()
if(NOT nodes STREQUAL expected_nodes)
  message(FATAL_ERROR "version nodes differ from the version script\n"
    "defined: ${nodes}\nexpected: ${expected_nodes}")
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

# No dynamic relocation names an exported function: every call the library
# makes to its own code is bound when it is linked, so a client's function
# of the same name cannot take the call over.
execute_process(COMMAND readelf -rW ${LIBRARY} OUTPUT_VARIABLE relocations)
foreach(name IN LISTS exported)
  if(relocations MATCHES "[ \t]${name}@")
    message(FATAL_ERROR "the library refers to its own ${name} through the symbol table")
  endif()
endforeach()

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
