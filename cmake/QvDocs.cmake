# SPDX-License-Identifier: MIT
# The API reference: Doxygen over the public headers (include/qvpreview/),
# with the README as its main page, the design notes of docs/ as further
# pages and the example hosts of examples/ as pages of their own (each class
# page shows its example from examples/tour, which is compiled and run).
# "cmake --build build --target docs" writes build/docs/html/index.html and,
# where Qt's qhelpgenerator is installed (Debian: qt6-documentation-tools),
# the Qt help file build/docs/html/qvpreview.qch that Qt Creator and Qt
# Assistant open; the development package installs it into Qt's
# documentation folder, where Qt Creator finds it.
# A public class, member or enumerator without documentation is a warning,
# and any warning fails the target, so the reference stays complete.
find_package(Doxygen)
if(NOT DOXYGEN_FOUND)
  message(STATUS "doxygen not found: no docs target")
  return()
endif()

set(DOXYGEN_PROJECT_NAME "qvPreview")
set(DOXYGEN_PROJECT_NUMBER "${PROJECT_VERSION}")
set(DOXYGEN_PROJECT_BRIEF "${PROJECT_DESCRIPTION}")
set(DOXYGEN_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/docs")
set(DOXYGEN_GENERATE_HTML YES)
set(DOXYGEN_GENERATE_LATEX NO)
set(DOXYGEN_GENERATE_TREEVIEW YES)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE "${PROJECT_SOURCE_DIR}/README.md")
set(DOXYGEN_STRIP_FROM_PATH "${PROJECT_SOURCE_DIR}")
set(DOXYGEN_STRIP_FROM_INC_PATH "${PROJECT_SOURCE_DIR}/include")
set(DOXYGEN_FULL_PATH_NAMES YES)
set(DOXYGEN_SHOW_INCLUDE_FILES YES)
set(DOXYGEN_EXTRACT_ALL NO)
set(DOXYGEN_EXTRACT_PRIVATE NO)
set(DOXYGEN_EXTRACT_STATIC YES)
set(DOXYGEN_HIDE_UNDOC_RELATIONS YES)
set(DOXYGEN_SORT_MEMBER_DOCS NO)
set(DOXYGEN_JAVADOC_AUTOBRIEF YES)
set(DOXYGEN_QUIET YES)
set(DOXYGEN_WARN_IF_UNDOCUMENTED YES)
set(DOXYGEN_WARN_IF_DOC_ERROR YES)
set(DOXYGEN_WARN_IF_INCOMPLETE_DOC YES)
set(DOXYGEN_WARN_NO_PARAMDOC NO)
set(DOXYGEN_WARN_AS_ERROR FAIL_ON_WARNINGS)
# Qt's and the export macro's markup, as a reader of the headers sees them.
set(DOXYGEN_ENABLE_PREPROCESSING YES)
set(DOXYGEN_MACRO_EXPANSION YES)
set(DOXYGEN_EXPAND_ONLY_PREDEF YES)
set(DOXYGEN_PREDEFINED "QV_EXPORT=" "Q_OBJECT=" "Q_GADGET=" "Q_SIGNALS=signals" "Q_SLOTS=slots")
set(DOXYGEN_EXCLUDE_SYMBOLS "Q_PROPERTY")
set(DOXYGEN_FILE_PATTERNS "*.h" "*.md")
set(DOXYGEN_IMAGE_PATH "${PROJECT_SOURCE_DIR}/docs")
set(DOXYGEN_EXAMPLE_PATH "${PROJECT_SOURCE_DIR}/examples")
# The same sources give the same pages (and the same help file on every
# architecture, which the multi-arch development package needs).
set(DOXYGEN_HTML_TIMESTAMP NO)

# Qt's classes (QWidget, QPainter, ...) link to Qt's own reference where the
# tag files of Qt's documentation are installed; Debian 12 ships none for
# Qt 6, and the names then stay plain text.
set(qv_qt_docs "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_DOCS}")
set(qv_qt_tags "")
foreach(module qtcore qtgui qtwidgets qtprintsupport)
  find_file(QV_QT_TAGFILE_${module} ${module}.tags PATHS "${qv_qt_docs}/${module}" /usr/share/qt6/doc/${module}
            NO_DEFAULT_PATH)
  if(QV_QT_TAGFILE_${module})
    list(APPEND qv_qt_tags "${QV_QT_TAGFILE_${module}}=https://doc.qt.io/qt-6/")
  endif()
endforeach()
if(qv_qt_tags)
  set(DOXYGEN_TAGFILES ${qv_qt_tags})
  message(STATUS "API reference: Qt's classes link to doc.qt.io (${qv_qt_tags})")
else()
  message(STATUS "API reference: no tag files of Qt's documentation installed, Qt's classes are not linked")
endif()

# The Qt help file, made by Doxygen through qhelpgenerator.
find_program(QV_QHELPGENERATOR qhelpgenerator
             HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBEXECS}" /usr/lib/qt6/libexec)
if(QV_QHELPGENERATOR)
  set(DOXYGEN_GENERATE_QHP YES)
  set(DOXYGEN_QCH_FILE "qvpreview.qch")
  set(DOXYGEN_QHP_NAMESPACE "org.qvpreview.qvpreview.${PROJECT_VERSION_MAJOR}${PROJECT_VERSION_MINOR}${PROJECT_VERSION_PATCH}")
  set(DOXYGEN_QHP_VIRTUAL_FOLDER "qvpreview")
  set(DOXYGEN_QHG_LOCATION "${QV_QHELPGENERATOR}")
  install(FILES "${PROJECT_BINARY_DIR}/docs/html/qvpreview.qch"
          DESTINATION ${CMAKE_INSTALL_DATADIR}/qt6/doc COMPONENT dev OPTIONAL)
else()
  message(STATUS "qhelpgenerator not found (Debian: qt6-documentation-tools): no Qt help file")
endif()

file(GLOB qv_doc_pages "${PROJECT_SOURCE_DIR}/docs/*.md")
list(SORT qv_doc_pages)
doxygen_add_docs(docs
  "${PROJECT_SOURCE_DIR}/README.md"
  ${qv_doc_pages}
  "${PROJECT_SOURCE_DIR}/include/qvpreview"
  WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
  COMMENT "API reference in ${PROJECT_BINARY_DIR}/docs/html/index.html")
