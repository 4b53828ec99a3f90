# Version resources (the identity values of the shipped build) and the "A_MAIN" icon
# group, compiled with windres into Windows targets.

# The icon group from the window program's pictures, made with icotool (icoutils).
find_program(TAGSCOPE_ICOTOOL icotool REQUIRED)
set(TAGSCOPE_ICON_SOURCES
  ${PROJECT_SOURCE_DIR}/window/icons/A_MAIN/16.png
  ${PROJECT_SOURCE_DIR}/window/icons/A_MAIN/32.png
  ${PROJECT_SOURCE_DIR}/window/icons/A_MAIN/48.png)
set(TAGSCOPE_ICON ${PROJECT_BINARY_DIR}/generated/A_MAIN.ico)
add_custom_command(OUTPUT ${TAGSCOPE_ICON}
  COMMAND ${TAGSCOPE_ICOTOOL} -c -o ${TAGSCOPE_ICON} ${TAGSCOPE_ICON_SOURCES}
  DEPENDS ${TAGSCOPE_ICON_SOURCES}
  COMMENT "Making the A_MAIN icon group")
add_custom_target(tagscope_icon DEPENDS ${TAGSCOPE_ICON})

# tagscope_add_resources(TARGET APP|DLL [ICON]): the version resource of TARGET, and the
# icon group when ICON is given.
function(tagscope_add_resources target kind)
  cmake_parse_arguments(PARSE_ARGV 2 arg "ICON" "" "")
  set(TAGSCOPE_RC_NAME ${target})
  if(kind STREQUAL "DLL")
    set(TAGSCOPE_RC_FILETYPE VFT_DLL)
    set(TAGSCOPE_RC_FILENAME ${target}.dll)
  else()
    set(TAGSCOPE_RC_FILETYPE VFT_APP)
    set(TAGSCOPE_RC_FILENAME ${target}.exe)
  endif()
  set(TAGSCOPE_RC_ICON "")
  if(arg_ICON)
    set(TAGSCOPE_RC_ICON "A_MAIN ICON \"${TAGSCOPE_ICON}\"")
    add_dependencies(${target} tagscope_icon)
    set_source_files_properties(${PROJECT_BINARY_DIR}/generated/${target}.rc PROPERTIES OBJECT_DEPENDS ${TAGSCOPE_ICON})
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/Version.rc.in ${PROJECT_BINARY_DIR}/generated/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/generated/${target}.rc)
endfunction()
