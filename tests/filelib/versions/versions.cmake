# Windows images with known version resources, built from the .rc files beside this file
# with the MinGW-w64 resource compiler and linkers: resource-only DLLs (32 and 64 bit)
# (one for each way of choosing among several resources) and two programs without code
# whose headers say GUI subsystem 4.0 and console.
find_program(MINGW_WINDRES x86_64-w64-mingw32-windres REQUIRED)
find_program(MINGW_LD64 x86_64-w64-mingw32-ld REQUIRED)
find_program(MINGW_LD32 i686-w64-mingw32-ld REQUIRED)
set(version_images_dir ${CMAKE_CURRENT_BINARY_DIR}/version-images)
set(version_rc_dir ${CMAKE_CURRENT_LIST_DIR})
set(version_images)

# name: output file; rc: source; bits: 32 or 64; LINK: extra linker options.
function(tagscope_version_image name rc bits)
  set(obj ${version_images_dir}/${name}.o)
  set(out ${version_images_dir}/${name})
  if(bits EQUAL 32)
    set(format -F pe-i386)
    set(ld ${MINGW_LD32})
  else()
    set(format -F pe-x86-64)
    set(ld ${MINGW_LD64})
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${version_images_dir}
    COMMAND ${MINGW_WINDRES} ${format} ${version_rc_dir}/${rc} -o ${obj}
    COMMAND ${ld} -e 0 ${ARGN} -o ${out} ${obj}
    DEPENDS ${version_rc_dir}/${rc}
    VERBATIM)
  set(version_images ${version_images} ${out} PARENT_SCOPE)
endfunction()

tagscope_version_image(full64.dll full.rc 64 --dll)
tagscope_version_image(full32.dll full.rc 32 --dll)
tagscope_version_image(otherlang.dll otherlang.rc 64 --dll)
tagscope_version_image(notranslation.dll notranslation.rc 64 --dll)
# Which resource Windows takes: by language, and only ID 1.
tagscope_version_image(twolang.dll twolang.rc 64 --dll)
tagscope_version_image(neutral.dll neutral.rc 64 --dll)
tagscope_version_image(defr.dll defr.rc 64 --dll)
tagscope_version_image(stringname.dll stringname.rc 64 --dll)
tagscope_version_image(id102.dll id102.rc 64 --dll)
tagscope_version_image(gui40.exe full.rc 64 --subsystem windows:4.0)
tagscope_version_image(console.exe full.rc 32 --subsystem console)
add_custom_target(tagscope_version_images DEPENDS ${version_images})
# ne-program.exe beside this file is a 16-bit Windows program made by hand (no tool in
# Debian links NE images): an NE header whose resource table holds the version resource
# under ID 1, as the system's version functions look for it, with 8-bit texts.
