# How the shipped programs are built: small, with no C++ runtime, the same bytes from any
# folder, and loadable by NT4.
#
# lean_compile_options(<target>) is for every object that ends up in setup.exe (the test
# programs link the same objects). add_lean_program(<target>) also gives <target> the link
# options of a shipped program.

# Code generation, at compile time and again for link-time optimisation. The stack and data
# keep only the alignment the ABI asks for: the target (the Pentium Pro) has no SSE. The x86-64
# test build keeps its ABI's 16-byte stack.
set(LEAN_CODE -Oz -malign-data=abi)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  list(APPEND LEAN_CODE -mpreferred-stack-boundary=2)
endif()

function(lean_compile_options target)
  get_filename_component(root "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/.." ABSOLUTE)
  # Each object holds plain code, which the test programs link, and the compiler's own form,
  # which the shipped program's link optimises as a whole.
  set(both ${LEAN_CODE} -flto -ffat-lto-objects
           -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables -fno-ident
           -ffile-prefix-map=${root}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)
  # One thread: a function-local static needs no lock, so no __cxa_guard from libstdc++.
  set(cxx -fno-exceptions -fno-rtti -fno-threadsafe-statics)
  target_compile_options(${target} PRIVATE
    "$<$<COMPILE_LANGUAGE:C,CXX>:${both}>" "$<$<COMPILE_LANGUAGE:CXX>:${cxx}>")
endfunction()

function(add_lean_program target)
  lean_compile_options(${target})
  # A PE32 GUI program for subsystem and OS version 4.0, with no runtime DLL beside it.
  # An EXE always gets its preferred base on NT4, so it needs no relocations; without a
  # link time stamp two builds of the same sources give the same bytes.
  target_link_options(${target} PRIVATE ${LEAN_CODE} -flto -static -s -mwindows
    -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0
    -Wl,--gc-sections -Wl,--disable-reloc-section -Wl,--no-insert-timestamp)
endfunction()
