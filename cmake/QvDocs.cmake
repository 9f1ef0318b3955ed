# The API reference: Doxygen over the public headers (include/qvpreview/),
# with the README as its main page and the design notes of docs/ as further
# pages. "cmake --build build --target docs" writes build/docs/html/index.html.
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

file(GLOB qv_doc_pages "${PROJECT_SOURCE_DIR}/docs/*.md")
doxygen_add_docs(docs
  "${PROJECT_SOURCE_DIR}/README.md"
  ${qv_doc_pages}
  "${PROJECT_SOURCE_DIR}/include/qvpreview"
  WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
  COMMENT "API reference in ${PROJECT_BINARY_DIR}/docs/html/index.html")
