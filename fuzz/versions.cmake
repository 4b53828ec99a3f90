# Fuzz target over the PE and NE resource readers and the version-block walker. Seeds: the
# images the tests build from tests/filelib/versions/*.rc and a small NE program. 17 s of
# fuzzing keeps the whole test, replay included, within 20 s.
tagscope_add_fuzzer(fuzz_versions
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/versions_fuzz.cpp
  LIBS hollin_objects tagscope_support
  SECONDS 17
  CORPUS_DIRS ${CMAKE_CURRENT_LIST_DIR}/regressions/versions ${CMAKE_CURRENT_LIST_DIR}/corpus/versions
    ${CMAKE_BINARY_DIR}/tests/version-images)
if(TARGET tagscope_version_images)
  add_dependencies(fuzz_versions tagscope_version_images)
endif()
