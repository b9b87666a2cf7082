# How the shipped programs are built: small, with no C or C++ run-time, the same bytes from
# any folder, and loadable by NT4 on any processor it runs on.
#
# lean_compile_options(<target>) is for every object that ends up in setup.exe (the test
# programs link the same objects). add_lean_program(<target>) also gives <target> the link
# options of a shipped program: its own entry point and no start-up code or library of the
# toolchain's, only the system DLLs' import libraries, marked to run from the page file.

# Code generation, at compile time and again for link-time optimisation. NT4 runs on a 486DX,
# and neither it nor the Pentium has the Pentium Pro's CMOV, the toolchain's default. Tuned for
# the Pentium, the usual NT4 machine: `scripts/measure.sh tune` shows what each choice weighs.
# The stack and data keep only the alignment the ABI asks for: there is no SSE. The x86-64 test
# build keeps its ABI's 16-byte stack.
set(LEAN_CODE -Oz -malign-data=abi)
# The entry point, named to the linker as the symbol i386 code decorates with an underscore:
# named, it also tells the link-time optimiser that the function is used.
set(LEAN_ENTRY WinMainCRTStartup)
set(LEAN_TUNE pentium CACHE STRING "The processor the i386 code is tuned for")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  list(APPEND LEAN_CODE -march=i486 -mtune=${LEAN_TUNE} -mpreferred-stack-boundary=2)
  set(LEAN_ENTRY _WinMainCRTStartup)
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
  # A PE32 GUI program for subsystem and OS version 4.0 that starts at its own
  # WinMainCRTStartup and links the system DLLs' import libraries alone. An EXE always gets its
  # preferred base on NT4, so it needs no relocations; without a link time stamp two builds of
  # the same sources give the same bytes.
  target_link_options(${target} PRIVATE ${LEAN_CODE} -flto -nostartfiles -nostdlib -s -mwindows
    -Wl,-e,${LEAN_ENTRY}
    -Wl,--subsystem,windows:4.0 -Wl,--major-os-version,4 -Wl,--minor-os-version,0
    -Wl,--gc-sections -Wl,--disable-reloc-section -Wl,--no-insert-timestamp)
  # Run from the page file when started from a floppy, a CD or a share, so the disk can come
  # out while it runs: bits that GNU ld cannot set.
  get_filename_component(root "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/.." ABSOLUTE)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND Python3::Interpreter ${root}/scripts/run_from_swap.py $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
