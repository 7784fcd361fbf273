# Library targets and the layering rules between them.
#
# fendrix_library(<target> [STATIC] SOURCES ... DEPENDS ... [QT])
#   Creates a static library whose public include root is the source tree, so code includes
#   "model/lpclasses.h", "platform/core/stream.h" and so on. DEPENDS lists the libraries it
#   may link (other Fendrix targets or imported ones). The allowed dependencies of each folder
#   are fixed below; configuring fails when a target links anything outside its row.

# Folder target -> what it may link. Qt:: prefixes allow any Qt module.
set(FENDRIX_ALLOWED_platform_core "")
set(FENDRIX_ALLOWED_imaging "platform_core;JPEG::JPEG;ZLIB::ZLIB")
set(FENDRIX_ALLOWED_imaging_bmc "platform_core")
set(FENDRIX_ALLOWED_model "platform_core;imaging")
set(FENDRIX_ALLOWED_platform_qt "platform_core;Qt::*;Fontconfig::Fontconfig")
set(FENDRIX_ALLOWED_theming "platform_core;platform_qt;Qt::*")
set(FENDRIX_ALLOWED_results "model;imaging;platform_core;platform_qt;Qt::*")
set(FENDRIX_ALLOWED_report "results;model;imaging;platform_core;platform_qt;Qt::*")
set(FENDRIX_ALLOWED_update "model;platform_core;platform_qt;Qt::*")
set(FENDRIX_ALLOWED_docs "model;Qt::*")
set(FENDRIX_ALLOWED_ui_main "*")
set(FENDRIX_ALLOWED_ui_dialogs "*")

set_property(GLOBAL PROPERTY FENDRIX_LIBRARIES "")

function(fendrix_library target)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC "${CMAKE_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/generated")
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
  if(ARG_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON AUTOUIC OFF)
  endif()
  set_property(GLOBAL APPEND PROPERTY FENDRIX_LIBRARIES ${target})
endfunction()

function(_fendrix_dep_allowed dep allowed out)
  set(ok FALSE)
  foreach(a ${allowed})
    if(a STREQUAL "*" OR a STREQUAL dep)
      set(ok TRUE)
    elseif(a STREQUAL "Qt::*" AND dep MATCHES "^Qt6?::")
      set(ok TRUE)
    endif()
  endforeach()
  set(${out} ${ok} PARENT_SCOPE)
endfunction()

function(fendrix_check_layering)
  get_property(libs GLOBAL PROPERTY FENDRIX_LIBRARIES)
  foreach(lib ${libs})
    if(NOT DEFINED FENDRIX_ALLOWED_${lib})
      message(FATAL_ERROR "Library ${lib} has no row in the layering table (cmake/FendrixTargets.cmake)")
    endif()
    get_target_property(deps ${lib} LINK_LIBRARIES)
    if(NOT deps)
      continue()
    endif()
    foreach(dep ${deps})
      if(dep MATCHES "^\\$<")  # generator expressions added by CMake itself
        continue()
      endif()
      _fendrix_dep_allowed("${dep}" "${FENDRIX_ALLOWED_${lib}}" ok)
      if(NOT ok)
        message(FATAL_ERROR "Layering: ${lib} may not depend on ${dep}")
      endif()
    endforeach()
  endforeach()
endfunction()

# Stamps the program version into an executable (or test program) as a version block.
function(fendrix_stamp_version target)
  set(FENDRIX_STAMP_MAJOR ${PROJECT_VERSION_MAJOR})
  set(FENDRIX_STAMP_MINOR ${PROJECT_VERSION_MINOR})
  set(FENDRIX_STAMP_RELEASE ${PROJECT_VERSION_PATCH})
  set(FENDRIX_STAMP_BUILD ${PROJECT_VERSION_TWEAK})
  set(out "${CMAKE_BINARY_DIR}/generated/versionstamp_${target}.cpp")
  configure_file("${CMAKE_SOURCE_DIR}/cmake/versionstamp.cpp.in" "${out}" @ONLY)
  target_sources(${target} PRIVATE "${out}")
  target_link_libraries(${target} PRIVATE platform_core)
endfunction()

# For a C library the program opens on first use instead of linking (platform/core/sharedlibrary.h):
# the target compiles against the library's headers, and FENDRIX_<NAME>_SONAME names the file the
# dynamic loader opens, read from the library found here, so that the headers and the library
# opened at run time are of one version.
function(fendrix_load_on_first_use target name imported library)
  target_include_directories(${target} PRIVATE $<TARGET_PROPERTY:${imported},INTERFACE_INCLUDE_DIRECTORIES>)
  target_compile_definitions(${target} PRIVATE $<TARGET_PROPERTY:${imported},INTERFACE_COMPILE_DEFINITIONS>)
  target_compile_options(${target} PRIVATE $<TARGET_PROPERTY:${imported},INTERFACE_COMPILE_OPTIONS>)
  get_filename_component(file "${library}" REALPATH)
  execute_process(COMMAND "${CMAKE_OBJDUMP}" -p "${file}" OUTPUT_VARIABLE dump RESULT_VARIABLE rc ERROR_QUIET)
  if(NOT rc EQUAL 0 OR NOT dump MATCHES "SONAME +([^ \t\r\n]+)")
    message(FATAL_ERROR "Cannot read the SONAME of ${file} (${imported}) with ${CMAKE_OBJDUMP}")
  endif()
  target_compile_definitions(${target} PRIVATE FENDRIX_${name}_SONAME="${CMAKE_MATCH_1}")
endfunction()
