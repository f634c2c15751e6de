# One library per folder, made of the folder's own .cpp files.
function(quorrel_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;LINK;EXCLUDE" ${ARGN})
  set(sources "")
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS "${dir}/*.cpp")
    list(APPEND sources ${found})
  endforeach()
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${ex}")
  endforeach()
  add_library(${name} STATIC ${sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINK})
endfunction()

# Every <name>_test.cpp of a folder becomes a test program of its own, so
# one unfinished test file cannot stop the others from building.
function(quorrel_tests dir)
  cmake_parse_arguments(ARG "" "" "LINK;ENV" ${ARGN})
  file(GLOB found CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*_test.cpp")
  get_filename_component(group ${dir} NAME)
  foreach(src IN LISTS found)
    get_filename_component(stem ${src} NAME_WE)
    set(target ${group}_${stem})
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE ${ARG_LINK} GTest::gtest GTest::gmock GTest::gtest_main)
    # The case names the tests give themselves, not their printed parameters.
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
      PROPERTIES TIMEOUT 120 ENVIRONMENT "${ARG_ENV}")
  endforeach()
endfunction()
