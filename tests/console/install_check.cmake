# Installs the build tree into a fresh prefix and checks that quibc and its
# manual page land where users look for them. Run by CTest with -DBUILD_DIR
# and -DPREFIX.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file bin/quibc share/man/man1/quibc.1)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
execute_process(COMMAND ${PREFIX}/bin/quibc --version OUTPUT_VARIABLE version)
if(NOT version MATCHES "^quibc ${PROJECT_VERSION}\n$")
  message(FATAL_ERROR "installed quibc --version says '${version}'")
endif()
file(REMOVE_RECURSE ${PREFIX})
