# Test, benchmark and fuzz wiring.
#
# fendrix_gtest(<name> SOURCES ... LIBS ... [DATA_DIR])
#   A GoogleTest program run by CTest as one test. Tests run in the build tree with the
#   private environment that scripts/test sets up; FENDRIX_TEST_DATA points at tests/data.
# fendrix_qttest(<name> SOURCES ... LIBS ...)
#   A Qt Test program (QTEST_MAIN); CTest runs it offscreen.
# fendrix_benchmark(<name> SOURCES ... LIBS ...)
#   A Google Benchmark program under bench/: built with everything, never run by CTest.
# fendrix_fuzz(<name> SOURCES ... LIBS ... CORPUS <dir>)
#   A fuzz target defining LLVMFuzzerTestOneInput. It builds as a plain program that replays
#   every file of CORPUS (CTest runs that replay); with FENDRIX_LIBFUZZER=ON and clang it
#   also builds as a libFuzzer binary <name>_libfuzzer.
#
# GoogleTest programs and fuzz replays need no window: CTest labels them "headless" (a Qt Test
# program without a window joins with fendrix_headless), and the target fendrix_headless_tests
# builds just them. The sanitizer build (FENDRIX_SANITIZE) runs that set:
# `cmake --build <tree> --target fendrix_headless_tests && ctest -L headless`.

set(FENDRIX_TEST_DATA "${CMAKE_SOURCE_DIR}/tests/data")
option(FENDRIX_LIBFUZZER "Also build libFuzzer binaries (needs clang)" OFF)

# Environment every test process gets on top of what scripts/test exports. The locale is the
# caller's: a test that depends on one sets it itself, and scripts/test runs the window, drawing
# and report tests once more under a German locale.
set(FENDRIX_TEST_ENV
  "QT_QPA_PLATFORM=offscreen"
  "FENDRIX_TEST_DATA=${FENDRIX_TEST_DATA}")
if(FENDRIX_SANITIZE)
  list(APPEND FENDRIX_TEST_ENV "UBSAN_OPTIONS=print_stacktrace=1")
endif()

set_property(GLOBAL PROPERTY FENDRIX_HEADLESS_TARGETS "")

# Marks a test as one the sanitizer run takes, and its program as one it builds.
function(fendrix_headless test target)
  set_property(TEST ${test} APPEND PROPERTY LABELS headless)
  set_property(GLOBAL APPEND PROPERTY FENDRIX_HEADLESS_TARGETS ${target})
endfunction()

# Called once every folder is in: one target that builds every headless test program.
function(fendrix_headless_target)
  get_property(targets GLOBAL PROPERTY FENDRIX_HEADLESS_TARGETS)
  list(REMOVE_DUPLICATES targets)
  add_custom_target(fendrix_headless_tests)
  add_dependencies(fendrix_headless_tests ${targets})
endfunction()

function(fendrix_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE FENDRIX_TEST_DATA="${FENDRIX_TEST_DATA}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${FENDRIX_TEST_ENV}" TIMEOUT ${ARG_TIMEOUT})
  fendrix_headless(${name} ${name})
endfunction()

function(fendrix_qttest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
  target_compile_definitions(${name} PRIVATE FENDRIX_TEST_DATA="${FENDRIX_TEST_DATA}")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${FENDRIX_TEST_ENV}" TIMEOUT ${ARG_TIMEOUT})
endfunction()

# Runs one test function of a Qt Test program once more on the offscreen screens that
# tests/data/screens/<screens> describes; further arguments are more environment for the run.
function(fendrix_screens_test name program testfunction screens)
  set(env ${FENDRIX_TEST_ENV})
  list(FILTER env EXCLUDE REGEX "^QT_QPA_PLATFORM=")
  list(APPEND env "QT_QPA_PLATFORM=offscreen:configfile=${FENDRIX_TEST_DATA}/screens/${screens}" ${ARGN})
  add_test(NAME ${name} COMMAND ${program} ${testfunction})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()

function(fendrix_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE FENDRIX_TEST_DATA="${FENDRIX_TEST_DATA}")
endfunction()

function(fendrix_fuzz name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} "${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  add_test(NAME ${name}_replay COMMAND ${name} "${ARG_CORPUS}")
  set_tests_properties(${name}_replay PROPERTIES ENVIRONMENT "${FENDRIX_TEST_ENV}" TIMEOUT 600)
  fendrix_headless(${name}_replay ${name})
  if(FENDRIX_LIBFUZZER AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(${name}_libfuzzer ${ARG_SOURCES})
    target_compile_options(${name}_libfuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name}_libfuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name}_libfuzzer PRIVATE ${ARG_LIBS})
  endif()
endfunction()

# fendrix_tests_per_file(LIBS ...): every *_test.cpp of the calling folder becomes its own
# GoogleTest program and every *_qtest.cpp its own Qt Test program, named <folder>_<file>.
# Folders shared by several units use it so that nobody edits a common list.
function(fendrix_tests_per_file)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  get_filename_component(folder "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
  file(GLOB gtests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
  foreach(src ${gtests})
    get_filename_component(stem "${src}" NAME_WE)
    fendrix_gtest(${folder}_${stem} SOURCES ${src} LIBS ${ARG_LIBS})
    fendrix_stamp_version(${folder}_${stem})
  endforeach()
  file(GLOB qtests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_qtest.cpp")
  foreach(src ${qtests})
    get_filename_component(stem "${src}" NAME_WE)
    fendrix_qttest(${folder}_${stem} SOURCES ${src} LIBS ${ARG_LIBS})
    fendrix_stamp_version(${folder}_${stem})
  endforeach()
endfunction()
