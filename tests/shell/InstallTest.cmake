# Desktop integration checks, run by CTest as `cmake -DCHECK=<what> ... -P InstallTest.cmake`.
#   CHECK=entry     DESKTOP=<file>: the desktop entry holds the keys the menus need
#   CHECK=validate  DESKTOP=<file>: desktop-file-validate accepts it (skipped without the tool)
#   CHECK=install   BUILD_DIR=<dir> PREFIX=<dir> CONFIG=<cfg> EXPECT_PROGRAM=<0|1>:
#                   `cmake --install` puts the program, the entry, the icons and the MIME package in place
#   CHECK=pictures  PYTHON=<python3> SCRIPT=<make_pictures.py> SOURCE=<dir> OUT=<dir>:
#                   the script draws the committed pictures byte for byte
cmake_minimum_required(VERSION 3.25)

function(fail text)
  message(FATAL_ERROR "${text}")
endfunction()

if(CHECK STREQUAL "entry")
  # Read whole: a CMake list would split the ';' that ends the categories.
  file(READ "${DESKTOP}" content)
  string(REPLACE ";" "<semicolon>" content "${content}")
  string(REPLACE "\r\n" "\n" content "${content}")
  if(NOT content MATCHES "^\\[Desktop Entry\\]\n")
    fail("${DESKTOP}: the first line is not [Desktop Entry]")
  endif()
  set(expected
    "Type=Application"
    "Name=Kinfold Search"
    "Comment=Find text and tables in ROM images by relative search"
    "Exec=kinfold-search %f"
    "Icon=kinfold-search"
    "Terminal=false"
    "Categories=Development<semicolon>")
  foreach(line IN LISTS expected)
    string(FIND "\n${content}" "\n${line}\n" at)
    if(at EQUAL -1)
      string(REPLACE "<semicolon>" ";" shown "${line}")
      fail("${DESKTOP}: no line '${shown}'")
    endif()
  endforeach()
  list(LENGTH expected count)
  message(STATUS "the desktop entry holds all ${count} keys")

elseif(CHECK STREQUAL "validate")
  find_program(VALIDATOR desktop-file-validate)
  if(NOT VALIDATOR)
    # Debian's desktop-file-utils; the CI machine installs it.
    message("SKIPPED: desktop-file-validate is not installed (package desktop-file-utils)")
    return()
  endif()
  execute_process(COMMAND "${VALIDATOR}" "${DESKTOP}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    fail("desktop-file-validate rejects ${DESKTOP}:\n${out}")
  endif()
  message(STATUS "desktop-file-validate accepts ${DESKTOP} ${out}")

elseif(CHECK STREQUAL "install")
  file(REMOVE_RECURSE "${PREFIX}")
  set(config_args)
  if(CONFIG)
    set(config_args --config "${CONFIG}")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" ${config_args}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    fail("cmake --install failed:\n${out}")
  endif()
  set(wanted
    "share/applications/kinfold-search.desktop"
    "share/icons/hicolor/32x32/apps/kinfold-search.png"
    "share/icons/hicolor/128x128/apps/kinfold-search.png"
    "share/mime/packages/kinfold-search.xml")
  if(EXPECT_PROGRAM)
    list(APPEND wanted "bin/kinfold-search")
  else()
    message(STATUS "no kinfold-search target in this build: bin/kinfold-search not checked")
  endif()
  foreach(path IN LISTS wanted)
    if(NOT EXISTS "${PREFIX}/${path}")
      fail("the installed tree has no ${path}:\n${out}")
    endif()
  endforeach()
  file(READ "${PREFIX}/share/icons/hicolor/32x32/apps/kinfold-search.png" installed HEX)
  file(READ "${SOURCE_ICON}" source HEX)
  if(NOT installed STREQUAL source)
    fail("the installed icon differs from ${SOURCE_ICON}")
  endif()
  message(STATUS "installed: ${wanted}")

elseif(CHECK STREQUAL "pictures")
  file(REMOVE_RECURSE "${OUT}")
  execute_process(COMMAND "${PYTHON}" "${SCRIPT}" "${OUT}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    fail("${SCRIPT} failed:\n${out}")
  endif()
  set(names kinfold-search.png kinfold-search.ico banner.gif)
  foreach(size 16 48 64 128 256)
    list(APPEND names icons/kinfold-search-${size}.png)
  endforeach()
  foreach(name IN LISTS names)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SOURCE}/${name}" "${OUT}/${name}"
                    RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
      fail("${name}: the script draws other bytes than the committed file; run resources/make_pictures.py")
    endif()
  endforeach()
  list(LENGTH names count)
  message(STATUS "the script redraws all ${count} pictures byte for byte")

else()
  fail("unknown CHECK '${CHECK}'")
endif()
