# kinfold_room(<room> SOURCES ... [USES <room>...])
# A room of the core as a static library kinfold_<room>. Its headers are seen
# by others as "<room>/Name.h" only through the library, from a folder that
# holds that room alone, so an include of a room it doesn't link fails to
# compile instead of building against the arrows.
function(kinfold_room room)
  cmake_parse_arguments(ARG "" "" "SOURCES;USES" ${ARGN})
  set(view ${PROJECT_BINARY_DIR}/rooms/${room})
  if(NOT EXISTS ${view}/${room})
    file(MAKE_DIRECTORY ${view})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${view}/${room} SYMBOLIC)
  endif()
  add_library(kinfold_${room} STATIC ${ARG_SOURCES})
  target_include_directories(kinfold_${room} PUBLIC ${view})
  foreach(used IN LISTS ARG_USES)
    target_link_libraries(kinfold_${room} PUBLIC kinfold_${used})
  endforeach()
endfunction()
