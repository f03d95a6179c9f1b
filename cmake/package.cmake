# The installable CMake package: headers, the libraries, kinetraConfig.cmake with the exported
# targets kinetra::kinetra (every kinetra library) and kinetra::vortan.
include(CMakePackageConfigHelpers)
include(GNUInstallDirs)

# installed shared libraries find each other in their own folder
if(APPLE)
  set(CMAKE_INSTALL_RPATH "@loader_path")
else()
  set(CMAKE_INSTALL_RPATH "$ORIGIN")
endif()

# Records a dependency the installed package must find before its targets are usable; the
# arguments are those of find_package, e.g. kinetra_package_dependency(fcl 0.7 CONFIG).
# Call it beside the find_package of any library that a kinetra or vortan target links.
function(kinetra_package_dependency)
  list(JOIN ARGN " " arguments)
  set_property(GLOBAL APPEND_STRING PROPERTY KINETRA_PACKAGE_DEPENDENCIES
               "find_dependency(${arguments})\n")
endfunction()

# Installs every header below src/<folder>.
function(kinetra_install_headers folder)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/${folder} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
          FILES_MATCHING PATTERN "*.hpp")
endfunction()

# Exports `targets` into the package; the caller has created them all.
function(kinetra_install_package)
  set(options)
  set(multi TARGETS)
  cmake_parse_arguments(ARG "${options}" "" "${multi}" ${ARGN})
  set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/kinetra)
  install(TARGETS ${ARG_TARGETS} EXPORT kinetraTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
          INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(EXPORT kinetraTargets NAMESPACE kinetra:: DESTINATION ${config_dir})
  get_property(KINETRA_PACKAGE_DEPENDENCIES GLOBAL PROPERTY KINETRA_PACKAGE_DEPENDENCIES)
  configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/kinetraConfig.cmake.in
                                ${PROJECT_BINARY_DIR}/kinetraConfig.cmake
                                INSTALL_DESTINATION ${config_dir})
  # 0.x: only the same minor version is compatible
  write_basic_package_version_file(${PROJECT_BINARY_DIR}/kinetraConfigVersion.cmake
                                   COMPATIBILITY SameMinorVersion)
  install(FILES ${PROJECT_BINARY_DIR}/kinetraConfig.cmake
                ${PROJECT_BINARY_DIR}/kinetraConfigVersion.cmake
          DESTINATION ${config_dir})
endfunction()
