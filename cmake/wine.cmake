# Windows tests run under Wine, in a prefix of their own inside the build
# folder. One setup test creates it, so two tests never race to do so.
if(NOT CMAKE_CROSSCOMPILING)
  set(QUORVEL_TEST_ENVIRONMENT "")
  return()
endif()

set(QUORVEL_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(QUORVEL_TEST_ENVIRONMENT
  WINEPREFIX=${QUORVEL_WINE_PREFIX}
  WINEARCH=win32
  WINEDEBUG=-all
  "WINEDLLOVERRIDES=mscoree,mshtml=")

find_program(QUORVEL_WINEBOOT wineboot REQUIRED)
add_test(NAME wine_prefix COMMAND ${QUORVEL_WINEBOOT} -i)
set_tests_properties(wine_prefix PROPERTIES
  FIXTURES_SETUP wine
  ENVIRONMENT "${QUORVEL_TEST_ENVIRONMENT}"
  TIMEOUT 300)
