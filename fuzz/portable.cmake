# Whether shell/command_line.cpp (the program's command-line parser) builds
# without the Windows headers, so that its fuzz target and corpus replay can
# run natively. Sets QUIB_COMMAND_LINE_PORTABLE. QUIB_ROOT is the top of the
# source tree.
function(quib_probe_command_line)
  set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
  try_compile(portable ${CMAKE_BINARY_DIR}/command_line_probe
              SOURCES ${QUIB_ROOT}/shell/command_line.cpp
              CMAKE_FLAGS -DINCLUDE_DIRECTORIES=${QUIB_ROOT}
              CXX_STANDARD 20
              OUTPUT_VARIABLE output)
  set(QUIB_COMMAND_LINE_PORTABLE ${portable} CACHE INTERNAL
      "shell/command_line.cpp builds for this target")
  message(STATUS "Command-line parser builds here: ${portable}")
endfunction()

if(NOT DEFINED QUIB_COMMAND_LINE_PORTABLE)
  quib_probe_command_line()
endif()
