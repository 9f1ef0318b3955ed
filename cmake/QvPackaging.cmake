# SPDX-License-Identifier: MIT
# Debian packages, made by CPack's DEB generator from the install rules'
# components (scripts/package.sh configures a build for /usr with
# QV_DEBIAN_FILES and runs cpack there):
#   runtime -> libqvpreview1     the shared library under its soname, its
#                                catalogues (share/qvpreview1) and Setup
#                                (<libdir>/qvpreview1)
#   dev     -> libqvpreview-dev  headers, CMake package, pkg-config file and
#                                the libqvpreview.so link
#   tools   -> qvpreview-tools   the command-line tool and its man page
#   designer -> qvpreview-designer-plugin  the Qt Designer plugin (when it is built)
# An install rule that names no component goes to the runtime package.
# dpkg-shlibdeps works out each package's dependencies on the system's
# libraries; the packages depend on libqvpreview1 of the same version.

option(QV_DEBIAN_FILES "Install the copyright file and changelog of each Debian package" OFF)
# Who answers for the packages, and where their home is: set when
# configuring (-DQV_DEB_MAINTAINER="Name <address>", -DQV_HOMEPAGE=URL). The
# maintainer is by default the one Debian's tools know (DEBFULLNAME and
# DEBEMAIL, as dch reads them), else the author that git knows in the source
# tree; the home page by default the address of the source tree's "origin"
# remote where it is a web address, else none (no Homepage field).
set(qv_maintainer "")
if(DEFINED ENV{DEBEMAIL} AND NOT "$ENV{DEBEMAIL}" STREQUAL "")
  if("$ENV{DEBEMAIL}" MATCHES "<" OR NOT DEFINED ENV{DEBFULLNAME})
    set(qv_maintainer "$ENV{DEBEMAIL}")
  else()
    set(qv_maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
  endif()
endif()
find_package(Git QUIET)
if(NOT qv_maintainer AND GIT_EXECUTABLE)
  execute_process(COMMAND ${GIT_EXECUTABLE} config user.name WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE qv_git_name OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  execute_process(COMMAND ${GIT_EXECUTABLE} config user.email WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE qv_git_email OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(qv_git_name AND qv_git_email)
    set(qv_maintainer "${qv_git_name} <${qv_git_email}>")
  endif()
endif()
if(NOT qv_maintainer)
  set(qv_maintainer "the qvPreview authors <qvpreview@example.org>")
  if(QV_DEBIAN_FILES)
    message(WARNING "The Debian packages' maintainer is a placeholder: set DEBFULLNAME and DEBEMAIL, "
                    "or configure with -DQV_DEB_MAINTAINER=\"Name <address>\"")
  endif()
endif()
set(QV_DEB_MAINTAINER "${qv_maintainer}" CACHE STRING "Maintainer of the Debian packages (name <address>)")
if(NOT QV_DEB_MAINTAINER MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$")
  message(FATAL_ERROR "QV_DEB_MAINTAINER \"${QV_DEB_MAINTAINER}\" is not \"Name <address>\"")
endif()
set(qv_homepage "")
if(GIT_EXECUTABLE)
  execute_process(COMMAND ${GIT_EXECUTABLE} remote get-url origin WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE qv_origin OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(qv_origin MATCHES "^https://")
    string(REGEX REPLACE "\\.git$" "" qv_homepage "${qv_origin}")
  endif()
endif()
set(QV_HOMEPAGE "${qv_homepage}" CACHE STRING "Home page of the Debian packages (empty: no Homepage field)")
if(QV_HOMEPAGE AND NOT QV_HOMEPAGE MATCHES "^https?://[^ ]+$")
  message(FATAL_ERROR "QV_HOMEPAGE \"${QV_HOMEPAGE}\" is not a web address")
endif()

set(QV_DEB_RUNTIME_NAME libqvpreview${PROJECT_VERSION_MAJOR})
set(QV_DEB_COMPONENTS runtime dev)
set(QV_DEB_NAMES ${QV_DEB_RUNTIME_NAME} libqvpreview-dev)
if(TARGET qvpreview_cli)
  list(APPEND QV_DEB_COMPONENTS tools)
  list(APPEND QV_DEB_NAMES qvpreview-tools)
endif()
if(TARGET qvpreview_designer)
  list(APPEND QV_DEB_COMPONENTS designer)
  list(APPEND QV_DEB_NAMES qvpreview-designer-plugin)
endif()
set(QV_DEB_VERSION "${PROJECT_VERSION}-1")

if(QV_DEBIAN_FILES)
  # Each package carries /usr/share/doc/<package>/copyright and
  # changelog.Debian.gz, as Debian asks. The changelog's date is the
  # configure time, or SOURCE_DATE_EPOCH for a reproducible build.
  string(TIMESTAMP QV_DEB_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in
                 ${PROJECT_BINARY_DIR}/debian/changelog.Debian @ONLY)
  find_program(QV_GZIP gzip REQUIRED)
  execute_process(COMMAND ${QV_GZIP} -9nf changelog.Debian
                  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/debian
                  COMMAND_ERROR_IS_FATAL ANY)
  # The packages are not uploaded to Debian: their first changelog entry
  # closes no "intent to package" bug, which lintian asks of a first upload.
  foreach(name IN LISTS QV_DEB_NAMES)
    file(WRITE ${PROJECT_BINARY_DIR}/debian/overrides/${name}
         "# Built by the qvPreview authors, not uploaded to Debian: no ITP bug to close.\n"
         "${name}: initial-upload-closes-no-bugs\n")
  endforeach()
  foreach(component name IN ZIP_LISTS QV_DEB_COMPONENTS QV_DEB_NAMES)
    install(FILES ${PROJECT_BINARY_DIR}/debian/overrides/${name}
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
            PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
            COMPONENT ${component})
    install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
                  ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${name}
            PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
            COMPONENT ${component})
  endforeach()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qvpreview)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the qvPreview authors")
if(QV_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QV_HOMEPAGE}")
endif()
set(CPACK_PACKAGE_CONTACT "${QV_DEB_MAINTAINER}")
# Each component's description carries its own first (summary) line; CPack
# puts the package summary in front of it unless the summary is its default.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL ${QV_DEB_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QV_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SOURCE qvpreview)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The tool links the library of the runtime package, which is not installed
# yet: dpkg-shlibdeps finds it in the build tree, and the tool's package
# depends on the runtime package through the component dependency.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${QV_DEB_RUNTIME_NAME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The shlibs file tells dpkg-shlibdeps of other packages which package
# provides libqvpreview.so.1 (only the runtime package holds a library), and
# the trigger has dpkg run ldconfig once after installing or removing it.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
# Qt's own catalogues, which qv::installTranslator loads beside the
# component's, so that Qt's dialogs inside the component speak its language.
# And Qt's Wayland platform plugin: without it a host in a Wayland session
# falls back on XWayland, where there is one.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION "print-preview component for Qt applications
qvPreview gives a Qt Widgets application a print preview: the application
records its document page by page through one control, the user previews
it (zoom, scrolling, page navigation) and prints a page range on a CUPS
printer or to PDF.
.
This package holds the shared library, its English catalogue and Setup, the
service-pack installer that brings the library of the system folder up to
its version.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libqvpreview-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
# The CMake package and the pkg-config file ask for Qt's development files.
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_COMPONENT_DEV_DEPENDS runtime)
set(CPACK_COMPONENT_DEV_DESCRIPTION "print-preview component for Qt applications - development files
qvPreview gives a Qt Widgets application a print preview: the application
records its document page by page through one control, the user previews
it and prints it on a CUPS printer or to PDF.
.
This package holds the headers, the CMake package (find_package(QvPreview))
and the pkg-config file (qvpreview).")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME qvpreview-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_TOOLS_DEPENDS runtime)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "preview, print, render and check qvPreview spool files
qvpreview works on the spool files that the qvPreview print-preview
control records: it opens the preview window, prints a page range on a
printer or to PDF, renders a page to PNG without a display, and checks a
file record by record.")

# The plugin goes where Debian's Designer looks for plugins; it depends on
# the library of the same version, and dpkg-shlibdeps adds Designer's own.
set(CPACK_DEBIAN_DESIGNER_PACKAGE_NAME qvpreview-designer-plugin)
set(CPACK_DEBIAN_DESIGNER_PACKAGE_SECTION devel)
set(CPACK_COMPONENT_DESIGNER_DEPENDS runtime)
set(CPACK_COMPONENT_DESIGNER_DESCRIPTION "Qt Designer plugin of the qvPreview print-preview control
qvPreview gives a Qt Widgets application a print preview: the application
records its document page by page through one control, the user previews
it and prints it on a CUPS printer or to PDF.
.
This package lets Qt Designer place the control on forms, edit its title
and scale mode and open its title property page from the form's context
menu.")

# What CPack 3.25 cannot say itself, put into the packages once it has made
# them (cmake/debian/finish.cmake): "Multi-Arch: same" for the library and the
# development package, whose files are all in the architecture's lib folder
# or the same on every architecture, so that libqvpreview1:amd64 and
# libqvpreview1:i386 install side by side; and no postinst or postrm of its
# own that calls ldconfig, which the ldconfig trigger does already.
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian/finish.cmake)
set(QV_DEB_MULTIARCH_SAME ${QV_DEB_RUNTIME_NAME} libqvpreview-dev)
set(CPACK_QV_MULTIARCH_SAME "${QV_DEB_MULTIARCH_SAME}")

include(CPack)
