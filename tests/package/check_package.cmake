# Unpacks the release zip into OUT and checks what a user gets: a folder
# "quorvel" holding exactly the DLL and its install text, and a DLL that
# passes check_dll.cmake for the oldest Windows that text states.
# Run with -DZIP=... -DOUT=... -DOBJDUMP=... -DWINDRES=... -DVERSION=...
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
file(ARCHIVE_EXTRACT INPUT ${ZIP} DESTINATION ${OUT})
file(GLOB_RECURSE files RELATIVE ${OUT} ${OUT}/*)
list(SORT files)
if(NOT files STREQUAL "quorvel/install.txt;quorvel/quorvel.dll")
  message(FATAL_ERROR "${ZIP} holds '${files}'")
endif()

file(STRINGS ${OUT}/quorvel/install.txt stated REGEX "Windows [^ ]+ or later")
string(REGEX REPLACE ".*Windows ([^ ]+) or later.*" "\\1" OLDEST_WINDOWS "${stated}")
set(DLL ${OUT}/quorvel/quorvel.dll)
include(${CMAKE_CURRENT_LIST_DIR}/check_dll.cmake)
