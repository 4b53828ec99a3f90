# Fuzz target over the reparse decoders and the report's header formatters and byte dump.
# Seeds: the sample buffers of the demo volume (scripts/ntfs-volume seeds fuzz/corpus/reparse).
tagscope_add_fuzzer(fuzz_reparse
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/reparse_fuzz.cpp
  LIBS hollin_objects tagscope_report tagscope_support
  CORPUS_DIRS ${CMAKE_CURRENT_LIST_DIR}/regressions/reparse ${CMAKE_CURRENT_LIST_DIR}/corpus/reparse)
