# Helpers that keep every subsystem's CMakeLists short: a library is the
# sources found in its folder, a test executable is the sources of its test
# folder, and each test case becomes its own ctest entry.

set(PROJECT_WARNINGS -Wall -Wextra)

# project_library(name DIRS dir... [DEPS ...]) — the sources directly in each
# of DIRS (not below them: a sub-folder is its own library or listed itself).
function(project_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)
    # A subsystem without code yet still forms a target others can name.
    set(sources "${PROJECT_SOURCE_DIR}/cmake/empty.cpp")
  endif()
  add_library(${name} STATIC ${sources})
  # Each library sees only its own folders and those of the libraries it
  # links: its include root holds links to its own folders alone (so
  # "core/x.h" resolves in core and everything linking core, and nowhere
  # else). cmake/CheckLayering.cmake checks the finer rules.
  set(root "${PROJECT_BINARY_DIR}/include_roots/${name}")
  foreach(dir IN LISTS ARG_DIRS)
    file(RELATIVE_PATH relative "${PROJECT_SOURCE_DIR}/src" "${dir}")
    if(relative MATCHES "^\\.\\.")
      # Outside src/ (sample, tests): the folder itself is the root.
      target_include_directories(${name} PUBLIC "${dir}")
      continue()
    endif()
    get_filename_component(parent "${root}/${relative}" DIRECTORY)
    file(MAKE_DIRECTORY "${parent}")
    if(NOT EXISTS "${root}/${relative}")
      file(CREATE_LINK "${dir}" "${root}/${relative}" SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${name} PUBLIC "${root}")
  target_compile_options(${name} PRIVATE ${PROJECT_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# project_test(name DIR dir DEPS ...) — every *.cpp below DIR, GoogleTest main
# unless the folder brings its own main (a file named main.cpp).
function(project_test name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${ARG_DIR}/*.cpp" "${ARG_DIR}/*.h")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_compile_options(${name} PRIVATE ${PROJECT_WARNINGS})
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/tests" "${PROJECT_SOURCE_DIR}/src")
  if(EXISTS "${ARG_DIR}/main.cpp")
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  # Every test may copy the run's sample template (tests/CMakeLists.txt).
  gtest_discover_tests(${name}
    WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}"
    PROPERTIES FIXTURES_REQUIRED sample_template
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen;PROJECT_SOURCE_DIR=${PROJECT_SOURCE_DIR};PROJECT_BINARY_DIR=${PROJECT_BINARY_DIR}"
    DISCOVERY_TIMEOUT 60)
endfunction()
