# The program's resources: dialog templates, version block and the icon.
#
# add_program_resources(<target>) compiles res/setup.rc into <target>.  The
# icon is drawn by scripts/make_icon.py into the current binary directory at
# build time, so call it from the directory that creates <target>.  The RC
# language must already be enabled.

find_package(Python3 COMPONENTS Interpreter REQUIRED)

function(add_program_resources target)
  get_filename_component(root "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/.." ABSOLUTE)
  set(script "${root}/scripts/make_icon.py")
  set(rc_file "${root}/res/setup.rc")
  set(icon "${CMAKE_CURRENT_BINARY_DIR}/setup.ico")

  add_custom_command(
    OUTPUT "${icon}"
    COMMAND Python3::Interpreter "${script}" "${icon}"
    DEPENDS "${script}"
    COMMENT "Drawing the program icon"
    VERBATIM)

  # Listing the icon as a source ties its custom command to the target.
  target_sources(${target} PRIVATE "${rc_file}" "${icon}")

  # windres looks for "setup.ico" in its include directories; only the resource
  # script gets them, so C++ sources see no generated folder.  The header is
  # named too, as not every generator scans resource scripts for includes.
  set_source_files_properties("${rc_file}" PROPERTIES
    OBJECT_DEPENDS "${icon};${root}/res/resource.h"
    INCLUDE_DIRECTORIES "${CMAKE_CURRENT_BINARY_DIR};${root}/res")
endfunction()
