# Fuzz target over the backup stream walk and the wildcard matcher.
# Seeds: stream sequences with a mask and a name in front (fuzz/corpus/streams).
tagscope_add_fuzzer(fuzz_streams
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/streams_fuzz.cpp
  LIBS hollin_objects tagscope_support
  SECONDS 17
  CORPUS_DIRS ${CMAKE_CURRENT_LIST_DIR}/regressions/streams ${CMAKE_CURRENT_LIST_DIR}/corpus/streams)
