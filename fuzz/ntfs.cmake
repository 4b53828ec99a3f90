# Fuzz targets over the NTFS image reader: one per structure (boot sector and partition
# tables, MFT record, run list, index block) and one over a whole small volume. Seeds:
# structures of volumes made with mkntfs and ntfs-3g (fuzz/make-ntfs-seeds).
# Short runs: together they add about twenty-five seconds to the tests.
foreach(structure boot:1 record:2 runlist:3 index:4)
  string(REPLACE ":" ";" parts ${structure})
  list(GET parts 0 name)
  list(GET parts 1 number)
  tagscope_add_fuzzer(fuzz_ntfs_${name}
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/ntfs_structures_fuzz.cpp
    LIBS hollin_objects tagscope_support
    SECONDS 4
    CORPUS_DIRS ${CMAKE_CURRENT_LIST_DIR}/regressions/ntfs-${name} ${CMAKE_CURRENT_LIST_DIR}/corpus/ntfs-${name})
  target_compile_definitions(fuzz_ntfs_${name} PRIVATE NTFS_FUZZ_STRUCTURE=${number})
endforeach()
tagscope_add_fuzzer(fuzz_ntfs_image
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ntfs_image_fuzz.cpp
  LIBS hollin_objects tagscope_support
  SECONDS 8
  CORPUS_DIRS ${CMAKE_CURRENT_LIST_DIR}/regressions/ntfs-image ${CMAKE_CURRENT_LIST_DIR}/corpus/ntfs-image)
