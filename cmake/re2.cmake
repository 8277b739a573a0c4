# RE2, vendored in third_party/re2 (scripts/update-re2.sh), built here for every preset: static,
# with its own warnings off; our targets see its headers as system headers.
set(QUELLIX_RE2_DIR "${CMAKE_SOURCE_DIR}/third_party/re2")
file(GLOB QUELLIX_RE2_SOURCES CONFIGURE_DEPENDS
  "${QUELLIX_RE2_DIR}/re2/*.cc" "${QUELLIX_RE2_DIR}/util/*.cc")
add_library(re2 STATIC ${QUELLIX_RE2_SOURCES})
target_include_directories(re2 SYSTEM PUBLIC "${QUELLIX_RE2_DIR}")
# No build folder in the objects (its assertions name their files).
target_compile_options(re2 PRIVATE -w -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
if(WIN32)
  target_compile_definitions(re2 PRIVATE WINVER=0x0601 _WIN32_WINNT=0x0601 WIN32_LEAN_AND_MEAN
    NOMINMAX)
else()
  set(THREADS_PREFER_PTHREAD_FLAG ON)
  find_package(Threads REQUIRED)
  target_link_libraries(re2 PUBLIC Threads::Threads)
endif()
