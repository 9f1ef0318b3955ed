# SPDX-License-Identifier: MIT
# Run by CPack after it made the Debian packages (CPACK_POST_BUILD_SCRIPTS):
# adds "Multi-Arch: same" to the packages CPACK_QV_MULTIARCH_SAME names,
# drops the postinst and postrm that CPack writes for a package with a
# library, which only call ldconfig (the package's ldconfig trigger has dpkg
# run it once after all packages of a run), and strips the binaries' notes. A package is unpacked and packed
# again with dpkg-deb, its files owned by root as before.
find_program(QV_DPKG_DEB dpkg-deb REQUIRED)
find_program(QV_STRIP strip REQUIRED)
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
  # CPack's strip keeps the compilers' and the linker's notes in .comment,
  # which dh_strip removes: the same is done here, and the checksums of the
  # files changed are written anew.
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${tree}" "${tree}/*")
  set(stripped FALSE)
  foreach(f IN LISTS files)
    if(f MATCHES "^DEBIAN/" OR IS_SYMLINK "${tree}/${f}")
      continue()
    endif()
    file(READ "${tree}/${f}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
      execute_process(COMMAND ${QV_STRIP} --remove-section=.comment --remove-section=.note "${tree}/${f}"
                      COMMAND_ERROR_IS_FATAL ANY)
      set(stripped TRUE)
    endif()
  endforeach()
  if(stripped)
    set(sums "")
    foreach(f IN LISTS files)
      if(NOT f MATCHES "^DEBIAN/" AND NOT IS_SYMLINK "${tree}/${f}")
        file(MD5 "${tree}/${f}" sum)
        string(APPEND sums "${sum}  ${f}\n")
      endif()
    endforeach()
    file(WRITE "${tree}/DEBIAN/md5sums" "${sums}")
    set(changed TRUE)
  endif()
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
