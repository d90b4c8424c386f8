# Whether shell/command_line.cpp (the program's command-line parser) builds
# without the Windows headers, so that its fuzz target and corpus replay can
# run natively. Sets QUIB_COMMAND_LINE_PORTABLE.
# QUIB_ROOT is the top of the source tree.
if(NOT DEFINED QUIB_COMMAND_LINE_PORTABLE)
  try_compile(QUIB_COMMAND_LINE_PORTABLE
              ${CMAKE_BINARY_DIR}/command_line_probe
              SOURCES ${QUIB_ROOT}/shell/command_line.cpp
              CMAKE_FLAGS -DINCLUDE_DIRECTORIES=${QUIB_ROOT}
                          -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY
              CXX_STANDARD 20
              OUTPUT_VARIABLE _probe_output)
  message(STATUS "Command-line parser portable: ${QUIB_COMMAND_LINE_PORTABLE}")
endif()
