# Each layer's headers are reached through an include root of its own in the build
# folder, which holds only links named after that layer's folder ("filelib" -> the
# sources' filelib/). A target sees the roots of what it links and no other, so an
# `#include "layer/x.h"` keeps its form while an include that runs up the layers
# (common < platform < support < filelib + include/ < report < console < window, with
# bindings/ over the library) does not compile.

# Adds to `target`, with `scope`, the include root named after it, holding a link to
# `base`/ENTRY under the name ENTRY for each ENTRY (a folder, or a single header as
# "Hollin0106/Variant.h").
function(tagscope_include_root target scope base)
  set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
  foreach(entry IN LISTS ARGN)
    get_filename_component(parent ${root}/${entry} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${base}/${entry} ${root}/${entry} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} $<BUILD_INTERFACE:${root}>)
endfunction()
