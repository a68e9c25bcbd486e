# What a build for Windows on this machine takes beyond the toolchain file.
#
# CLI11 and nlohmann-json are headers alone: the host's are used, each from a
# folder that holds it alone, so the host's C library never comes into the
# target's include path. GoogleTest is built for the target from the source
# Debian ships (libgtest-dev), whose GTest::gtest, GTest::gmock... are the
# names find_package(GTest) gives.

set(kinfold_host_headers ${PROJECT_BINARY_DIR}/host-headers)
foreach(folder CLI nlohmann)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "The Windows build needs /usr/include/${folder}: install libcli11-dev and nlohmann-json3-dev")
  endif()
  if(NOT EXISTS ${kinfold_host_headers}/${folder}/${folder})
    file(MAKE_DIRECTORY ${kinfold_host_headers}/${folder})
    file(CREATE_LINK /usr/include/${folder} ${kinfold_host_headers}/${folder}/${folder} SYMBOLIC)
  endif()
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${kinfold_host_headers}/CLI)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${kinfold_host_headers}/nlohmann)

set(KINFOLD_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source, built for the target")
function(kinfold_googletest_for_target)
  if(NOT EXISTS ${KINFOLD_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "The Windows tests need GoogleTest's source in ${KINFOLD_GOOGLETEST_SOURCE}: install libgtest-dev "
                        "and libgmock-dev, or configure with -DKINFOLD_BUILD_TESTS=OFF")
  endif()
  # Its own code, with its own warnings: none of this project's options.
  get_property(options DIRECTORY PROPERTY COMPILE_OPTIONS)
  set_property(DIRECTORY PROPERTY COMPILE_OPTIONS "")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${KINFOLD_GOOGLETEST_SOURCE} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set_property(DIRECTORY PROPERTY COMPILE_OPTIONS "${options}")
endfunction()
