# orvane_layer(NAME DIRS dir... LIBS lib...) makes the static library orvane_NAME from
# every .cpp directly under src/<dir> (sub-folders are libraries of their own). Files
# are globbed so that a new source file needs no edit here. Which folder may include
# which is checked by the `layering` test (tests/layering_test.py).
function(orvane_layer name)
  cmake_parse_arguments(L "" "" "DIRS;LIBS" ${ARGN})
  set(sources)
  foreach(dir IN LISTS L_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  add_library(orvane_${name} STATIC ${sources})
  target_include_directories(orvane_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(orvane_${name} PUBLIC ${L_LIBS})
endfunction()
