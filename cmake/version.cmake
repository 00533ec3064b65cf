# The one version number lives in project(); the .rc files read it from a generated header.
if(NOT PROJECT_VERSION_TWEAK)
  set(PROJECT_VERSION_TWEAK 0)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/vantrel_version.h.in
               ${PROJECT_BINARY_DIR}/generated/vantrel_version.h @ONLY)
include_directories(${PROJECT_BINARY_DIR}/generated)
