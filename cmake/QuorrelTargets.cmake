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
# one unfinished test file cannot stop the others from building. The programs
# named in PER_LOCALE (by file stem) run once under each locale of LOCALES
# instead, each case named "<case>@<locale>": the locale is what makes
# fontconfig choose a desktop's default faces.
function(quorrel_tests dir)
  cmake_parse_arguments(ARG "" "" "LINK;ENV;LOCALES;PER_LOCALE" ${ARGN})
  file(GLOB found CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*_test.cpp")
  get_filename_component(group ${dir} NAME)
  foreach(src IN LISTS found)
    get_filename_component(stem ${src} NAME_WE)
    set(target ${group}_${stem})
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE ${ARG_LINK} GTest::gtest GTest::gmock GTest::gtest_main)
    # The case names the tests give themselves, not their printed parameters.
    if(stem IN_LIST ARG_PER_LOCALE)
      foreach(locale IN LISTS ARG_LOCALES)
        string(MAKE_C_IDENTIFIER "${target}_${locale}" cases)
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
          TEST_SUFFIX "@${locale}" TEST_LIST ${cases} PROPERTIES TIMEOUT 120)
        # An environment of several variables does not survive the PROPERTIES
        # of gtest_discover_tests; it is set on the discovered cases once
        # CTest has read them. LC_ALL wins over the caller's locale variables.
        set(script "${CMAKE_CURRENT_BINARY_DIR}/${cases}_environment.cmake")
        file(WRITE "${script}" "if(${cases})\n  set_tests_properties(\${${cases}} PROPERTIES "
          "ENVIRONMENT \"${ARG_ENV};LANG=${locale};LC_ALL=${locale}\")\nendif()\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
      endforeach()
    else()
      gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
        PROPERTIES TIMEOUT 120 ENVIRONMENT "${ARG_ENV}")
    endif()
  endforeach()
endfunction()
