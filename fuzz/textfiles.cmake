# Fuzz target over text format detection and decoding and the list-file splitters.
# Seeds: small files in each encoding and list files (fuzz/corpus/textfiles).
tagscope_add_fuzzer(fuzz_textfiles
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/textfiles_fuzz.cpp
  LIBS hollin_objects tagscope_support
  CORPUS_DIRS ${CMAKE_CURRENT_LIST_DIR}/regressions/textfiles ${CMAKE_CURRENT_LIST_DIR}/corpus/textfiles)
