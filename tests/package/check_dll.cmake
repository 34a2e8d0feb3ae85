# Checks a DLL as it ships, with the binutils: it imports system DLLs only
# (no compiler runtime beside it) and only calls that Windows OLDEST_WINDOWS
# has, exports exactly the four plain names, carries a version resource of
# VERSION, is stripped and at most 350 KiB.
# Included by check_package.cmake, which sets OBJDUMP, WINDRES, DLL, VERSION, OLDEST_WINDOWS.
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

set(system_dlls KERNEL32.dll msvcrt.dll USER32.dll ADVAPI32.dll ntdll.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(line IN LISTS imports)
  string(REPLACE "DLL Name: " "" name "${line}")
  string(STRIP "${name}" name)
  string(TOUPPER "${name}" upper)
  set(known FALSE)
  foreach(system IN LISTS system_dlls)
    string(TOUPPER "${system}" system)
    if(upper STREQUAL system)
      set(known TRUE)
    endif()
  endforeach()
  if(NOT known)
    message(FATAL_ERROR "imports ${name}, which is not a system DLL")
  endif()
endforeach()
if(NOT imports)
  message(FATAL_ERROR "no import table found")
endif()

# Every import is one that the oldest Windows in install.txt has (see the list).
include(${CMAKE_CURRENT_LIST_DIR}/../../package/windows_imports.cmake)
# Imported names are the lines "<address> <hint>  <name>" of the import tables.
string(REGEX MATCHALL "\n\t[0-9a-f]+\t +[0-9]+  [^\n]+" calls "${dump}")
foreach(call IN LISTS calls)
  string(REGEX REPLACE ".*  " "" name "${call}")
  list(FIND windows_${OLDEST_WINDOWS}_imports "${name}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "imports ${name}, not among the calls package/windows_imports.cmake "
                        "lists for Windows '${OLDEST_WINDOWS}', the oldest install.txt states")
  endif()
endforeach()

# Exported names: the lines "[   n] Name" after the name pointer table.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at EQUAL -1)
  message(FATAL_ERROR "no export table found")
endif()
string(SUBSTRING "${dump}" ${at} -1 table)
string(FIND "${table}" "\n\n" end)
string(SUBSTRING "${table}" 0 ${end} table)
string(REGEX MATCHALL "\n[\t ]+\\[ *[0-9]+\\] [^\n]+" lines "${table}")
set(exports "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^\n[\t ]+\\[ *[0-9]+\\] " "" name "${line}")
  list(APPEND exports "${name}")
endforeach()
list(SORT exports)
set(expected GetPluginInfo OpenPlugin ProcessEditorEvent SetStartupInfo)
if(NOT exports STREQUAL expected)
  message(FATAL_ERROR "exports '${exports}', expected '${expected}'")
endif()

# The version resource, read back by the resource compiler: its numbers are
# VERSION's, padded with zeros.
execute_process(COMMAND ${WINDRES} -i ${DLL} -O rc OUTPUT_VARIABLE rc RESULT_VARIABLE failed)
string(REPLACE "." ", " numbers "${VERSION}")
if(failed OR NOT rc MATCHES "FILEVERSION ${numbers}(, 0)*\n PRODUCTVERSION ${numbers}(, 0)*\n")
  message(FATAL_ERROR "no version resource of version ${VERSION}:\n${rc}")
endif()

# Stripped: no symbol table, no debug sections.
execute_process(COMMAND ${OBJDUMP} -h -t ${DLL} OUTPUT_VARIABLE sections)
if(NOT sections MATCHES "\nno symbols" OR sections MATCHES " \\.debug")
  message(FATAL_ERROR "not stripped:\n${sections}")
endif()
# Small, as a plug-in should be: the runtime linked in is most of it, and a
# stream library or another runtime pulled in by mistake would double it.
file(SIZE ${DLL} size)
if(size GREATER 358400)
  message(FATAL_ERROR "${size} bytes, more than 350 KiB")
endif()
message(STATUS "imports: ${imports}; exports: ${exports}; version ${VERSION}; ${size} bytes")
