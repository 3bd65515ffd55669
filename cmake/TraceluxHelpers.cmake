# Headers are included by their folder under src/ ("common/Clock.h", "app/MainWindow.h"). Each
# library sees only its own folder and, through what it links, the folders of the libraries it is
# built on: its include directory is <build>/include/<folder>, which holds one link, <folder>,
# to src/<folder>. A core library that included a desktop or drawing header would not compile.
function(tlx_own_headers target scope)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(dir ${PROJECT_BINARY_DIR}/include/${folder})
  if(NOT EXISTS ${dir}/${folder})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${dir}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${dir})
endfunction()

# One static library per core subsystem, made of every .cpp file in its folder,
# so a subsystem can grow without anyone editing a shared source list.
function(tlx_core_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    tlx_own_headers(${name} PUBLIC)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    tlx_own_headers(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One GoogleTest executable per test folder (tests/<area>/*.cpp).
function(tlx_test_folder area)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${area}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${area} ${sources})
  target_link_libraries(test_${area} PRIVATE ${ARG_LIBS} tlx_testsupport GTest::gtest_main)
  gtest_discover_tests(test_${area} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${area}")
endfunction()

# A file compressed as Debian packages want it: gzip -9, without name or time stamp, so the
# same input always gives the same bytes.
function(tlx_gzip input output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${input} > ${output}
    DEPENDS ${input}
    VERBATIM)
endfunction()
