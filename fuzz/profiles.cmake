# Fuzz target over the INI reader and writer and the Descript.ion parser and writer.
# Seeds: a Windows Zone.Identifier stream and Descript.ion files (fuzz/corpus/profiles).
# It runs for at most 20 seconds in ctest.
if(TAGSCOPE_FUZZ_SECONDS GREATER 20)
  set(TAGSCOPE_FUZZ_SECONDS 20)
endif()
tagscope_add_fuzzer(fuzz_profiles
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/profiles_fuzz.cpp
  LIBS hollin_objects tagscope_support
  CORPUS_DIRS ${CMAKE_CURRENT_LIST_DIR}/regressions/profiles ${CMAKE_CURRENT_LIST_DIR}/corpus/profiles)
# The other targets keep the configured time.
unset(TAGSCOPE_FUZZ_SECONDS)
