# Install rules, in three components:
#   runtime  the versioned library
#   dev      headers, the development symlink, CMake and pkg-config packages
#   sim      the simulated gateway: platform library, host programs, profiles,
#            converter, man pages
#   field    wlan_snapshot, the gateway's snapshot script (tools/), and its
#            man page: architecture-independent
# Paths follow GNUInstallDirs (lib/<multiarch> under /usr on Debian).
include(CMakePackageConfigHelpers)

# An install under /usr (the Debian packages) is found by the dynamic loader.
# Anywhere else the programs and libraries find the libraries beside them,
# relative to where they are, so the tree may be moved or installed with
# `cmake --install --prefix P` to any P after configuring.
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set_target_properties(qz_wlan_base qz_platform_sim wlan_host wlancmd
                        PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()

set(QZ_PKG_NAME qz_wlan_base)
set(QZ_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/${QZ_PKG_NAME})
set(QZ_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/${QZ_PKG_NAME})
set(QZ_INSTALL_SIM_DATADIR ${CMAKE_INSTALL_DATADIR}/qz-wlan-sim)

target_include_directories(qz_wlan_base INTERFACE $<INSTALL_INTERFACE:${QZ_INSTALL_INCLUDEDIR}>)
target_include_directories(qz_platform_sim INTERFACE $<INSTALL_INTERFACE:${QZ_INSTALL_INCLUDEDIR}>
                                                     $<INSTALL_INTERFACE:${QZ_INSTALL_INCLUDEDIR}/sim>)
set_target_properties(qz_wlan_base PROPERTIES EXPORT_NAME qz_wlan_base)
set_target_properties(qz_platform_sim PROPERTIES EXPORT_NAME platform_sim)

# ---- runtime and dev --------------------------------------------------------
install(TARGETS qz_wlan_base EXPORT qz_wlan_base_targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev)
file(GLOB QZ_PUBLIC_HEADERS ${PROJECT_SOURCE_DIR}/include/*.h ${PROJECT_SOURCE_DIR}/include/*.def)
install(FILES ${QZ_PUBLIC_HEADERS} ${QZ_GENERATED_INCLUDE_DIR}/qz_wlan_version.h
        DESTINATION ${QZ_INSTALL_INCLUDEDIR} COMPONENT dev)
install(EXPORT qz_wlan_base_targets NAMESPACE qz_wlan_base:: DESTINATION ${QZ_INSTALL_CMAKEDIR}
        FILE qz_wlan_base-targets.cmake COMPONENT dev)

configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/templates/qz_wlan_base-config.cmake.in
                              ${PROJECT_BINARY_DIR}/qz_wlan_base-config.cmake INSTALL_DESTINATION ${QZ_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/qz_wlan_base-config-version.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qz_wlan_base-config.cmake ${PROJECT_BINARY_DIR}/qz_wlan_base-config-version.cmake
        DESTINATION ${QZ_INSTALL_CMAKEDIR} COMPONENT dev)

# pkg-config files name the prefix they are installed under, which
# `cmake --install --prefix` may change after configuring: the prefix is filled
# in by the install step itself (a package, or DESTDIR, keeps the configured one).
function(qz_install_pkgconfig name component)
  set(QZ_PC_PREFIX "@QZ_PC_PREFIX@")
  set(staged ${PROJECT_BINARY_DIR}/pkgconfig/${name}.pc.in)
  set(final ${PROJECT_BINARY_DIR}/pkgconfig/${name}.pc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/templates/${name}.pc.in ${staged} @ONLY)
  install(CODE "set(QZ_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")\nconfigure_file(\"${staged}\" \"${final}\" @ONLY)"
          COMPONENT ${component})
  install(FILES ${final} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT ${component})
endfunction()
qz_install_pkgconfig(qz_wlan_base dev)

# ---- sim ----------------------------------------------------------------------
install(TARGETS qz_platform_sim EXPORT qz_wlan_base_sim_targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT sim NAMELINK_COMPONENT sim)
install(EXPORT qz_wlan_base_sim_targets NAMESPACE qz_wlan_base:: DESTINATION ${QZ_INSTALL_CMAKEDIR}
        FILE qz_wlan_base-sim-targets.cmake COMPONENT sim)
file(GLOB QZ_SIM_HEADERS ${PROJECT_SOURCE_DIR}/sim/include/*.h)
install(FILES ${QZ_SIM_HEADERS} DESTINATION ${QZ_INSTALL_INCLUDEDIR}/sim COMPONENT sim)
install(FILES ${PROJECT_SOURCE_DIR}/src/platform/qz_platform.h DESTINATION ${QZ_INSTALL_INCLUDEDIR}/sim
        COMPONENT sim)
qz_install_pkgconfig(qz_wlan_base_sim sim)
# The converter is loaded by path, never linked: a private folder, no SONAME link.
install(TARGETS qz_iconv_shim LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/${QZ_SIM_PRIVATE_LIBDIR} COMPONENT sim
        NAMELINK_SKIP)
install(TARGETS wlan_host wlancmd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT sim)
file(GLOB QZ_PROFILES ${PROJECT_SOURCE_DIR}/profiles/*.json)
install(FILES ${QZ_PROFILES} DESTINATION ${QZ_INSTALL_SIM_DATADIR}/profiles COMPONENT sim)

# Man pages go in compressed, reproducibly (no name or time in the header),
# each with its program's component.
find_program(QZ_GZIP gzip REQUIRED)
foreach(page_comp wlan_host.1:sim wlancmd.1:sim wlan_snapshot.1:field)
  string(REPLACE ":" ";" page_comp ${page_comp})
  list(GET page_comp 0 page)
  list(GET page_comp 1 comp)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.gz
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
                     COMMAND ${QZ_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/docs/man/${page} > ${PROJECT_BINARY_DIR}/man/${page}.gz
                     DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${page} VERBATIM)
  list(APPEND QZ_MAN_PAGES ${PROJECT_BINARY_DIR}/man/${page}.gz)
  install(FILES ${PROJECT_BINARY_DIR}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${comp})
endforeach()
add_custom_target(qz_man_pages ALL DEPENDS ${QZ_MAN_PAGES})
