# Makes the generated header version.h from project(VERSION) and the interface library
# tessary_version that puts it on the include path. The shown form is MAJOR.MM.RRRR: the minor
# number in two digits, the fourth number (the revision) in four; the third stays 0.
if(NOT PROJECT_VERSION_PATCH EQUAL 0 OR PROJECT_VERSION_MINOR GREATER 99
   OR PROJECT_VERSION_TWEAK GREATER 9999)
  message(FATAL_ERROR "version ${PROJECT_VERSION} has no MAJOR.MM.RRRR form")
endif()
math(EXPR _minor "100 + ${PROJECT_VERSION_MINOR}")
math(EXPR _revision "10000 + ${PROJECT_VERSION_TWEAK}")
string(SUBSTRING "${_minor}" 1 2 _minor)
string(SUBSTRING "${_revision}" 1 4 _revision)
set(TESSARY_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${_minor}.${_revision}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
add_library(tessary_version INTERFACE)
target_include_directories(tessary_version INTERFACE ${CMAKE_BINARY_DIR}/generated
  $<$<COMPILE_LANGUAGE:RC>:${CMAKE_CURRENT_LIST_DIR}>)  # version_info.rc
