# SPDX-License-Identifier: MIT
# Run by CPack after it made the Debian packages (CPACK_POST_BUILD_SCRIPTS):
# adds "Multi-Arch: same" to the packages CPACK_QV_MULTIARCH_SAME names, and
# drops the postinst and postrm that CPack writes for a package with a
# library, which only call ldconfig: the package's ldconfig trigger has dpkg
# run it once after all packages of a run. A package is unpacked and packed
# again with dpkg-deb, its files owned by root as before.
find_program(QV_DPKG_DEB dpkg-deb REQUIRED)
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  execute_process(COMMAND ${QV_DPKG_DEB} -f ${deb} Package OUTPUT_VARIABLE name
                  OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(tree "${deb}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND ${QV_DPKG_DEB} -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  set(changed FALSE)
  foreach(script postinst postrm)
    if(EXISTS "${tree}/DEBIAN/${script}")
      file(READ "${tree}/DEBIAN/${script}" body)
      # Only a script that does nothing but call ldconfig goes.
      string(REGEX REPLACE "#[^\n]*\n|set -e\n|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then\n|[ \t]*ldconfig\n|fi\n|[ \t\n]" "" rest "${body}")
      if(rest STREQUAL "")
        file(REMOVE "${tree}/DEBIAN/${script}")
        set(changed TRUE)
      else()
        message(FATAL_ERROR "${name}: ${script} does more than call ldconfig:\n${body}")
      endif()
    endif()
  endforeach()
  if(name IN_LIST CPACK_QV_MULTIARCH_SAME)
    file(READ "${tree}/DEBIAN/control" control)
    if(NOT control MATCHES "\nMulti-Arch:")
      # One paragraph: the field goes after the last line, before any blank one.
      string(STRIP "${control}" control)
      file(WRITE "${tree}/DEBIAN/control" "${control}\nMulti-Arch: same\n")
      set(changed TRUE)
    endif()
  endif()
  if(changed)
    execute_process(COMMAND ${QV_DPKG_DEB} --root-owner-group -Zxz -b ${tree} ${deb}
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(REMOVE_RECURSE "${tree}")
endforeach()
