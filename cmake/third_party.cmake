# GoogleTest from Debian's sources and SQLite from the pinned amalgamation, both built for the target.
set(THIRD_PARTY_DIR ${CMAKE_SOURCE_DIR}/build/third_party CACHE PATH "unpacked third-party sources")

if(NOT EXISTS ${THIRD_PARTY_DIR}/sqlite3/sqlite3.c)
  message(FATAL_ERROR "SQLite sources missing: run scripts/setup")
endif()
add_library(sqlite3 STATIC ${THIRD_PARTY_DIR}/sqlite3/sqlite3.c)
target_include_directories(sqlite3 SYSTEM PUBLIC ${THIRD_PARTY_DIR}/sqlite3)
# Our stored queries quote with single quotes; refuse double-quoted string literals.
target_compile_definitions(sqlite3 PRIVATE SQLITE_DQS=0 SQLITE_THREADSAFE=1 SQLITE_DEFAULT_WAL_SYNCHRONOUS=1
  SQLITE_OMIT_DEPRECATED SQLITE_OMIT_LOAD_EXTENSION SQLITE_DEFAULT_FOREIGN_KEYS=0)
set_source_files_properties(${THIRD_PARTY_DIR}/sqlite3/sqlite3.c PROPERTIES COMPILE_OPTIONS "-O2;-w")

if(BUILD_TESTING)
  set(GTEST_SRC /usr/src/googletest)
  if(NOT EXISTS ${GTEST_SRC}/googletest/src/gtest-all.cc)
    message(FATAL_ERROR "GoogleTest sources missing: run scripts/setup")
  endif()
  add_library(gtest STATIC ${GTEST_SRC}/googletest/src/gtest-all.cc)
  target_include_directories(gtest SYSTEM PUBLIC ${GTEST_SRC}/googletest/include PRIVATE ${GTEST_SRC}/googletest)
  add_library(gmock STATIC ${GTEST_SRC}/googlemock/src/gmock-all.cc)
  target_include_directories(gmock SYSTEM PUBLIC ${GTEST_SRC}/googlemock/include PRIVATE ${GTEST_SRC}/googlemock)
  target_link_libraries(gmock PUBLIC gtest)
endif()
