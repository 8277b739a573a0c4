# RE2, vendored in third_party/re2 (scripts/update-re2.sh), built here for every preset: static,
# with its own warnings off; our targets see its headers as system headers.
set(QUELLIX_RE2_DIR "${CMAKE_SOURCE_DIR}/third_party/re2")
file(GLOB QUELLIX_RE2_SOURCES CONFIGURE_DEPENDS
  "${QUELLIX_RE2_DIR}/re2/*.cc" "${QUELLIX_RE2_DIR}/util/*.cc")
add_library(re2 STATIC ${QUELLIX_RE2_SOURCES})
target_include_directories(re2 SYSTEM PUBLIC "${QUELLIX_RE2_DIR}")
# No build folder in the objects (its assertions name their files).
target_compile_options(re2 PRIVATE -w -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
# RE2 is most of the program's code: a release builds it for size, except the two matchers a
# search runs (the DFA, and the NFA where the DFA gives up: the worst patterns' time is there;
# figures in docs/benchmarks.md).
target_compile_options(re2 PRIVATE $<$<CONFIG:Release>:-Os>)
set_source_files_properties("${QUELLIX_RE2_DIR}/re2/dfa.cc" "${QUELLIX_RE2_DIR}/re2/nfa.cc"
  PROPERTIES COMPILE_OPTIONS $<$<CONFIG:Release>:-O3>)
if(MINGW)
  # Each function in its own section, so that the linker drops the ones the program never calls.
  target_compile_options(re2 PRIVATE -ffunction-sections -fdata-sections)
endif()
if(WIN32)
  target_compile_definitions(re2 PRIVATE WINVER=0x0601 _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN
    NOMINMAX)
else()
  set(THREADS_PREFER_PTHREAD_FLAG ON)
  find_package(Threads REQUIRED)
  target_link_libraries(re2 PUBLIC Threads::Threads)
endif()
