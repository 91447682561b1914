# Debian packages (CPack DEB), one per install component:
#   libqz-wlan-base1      runtime (with a shlibs file)
#   libqz-wlan-base-dev   dev, depending on the runtime of the same version
#   qz-wlan-sim           sim
#   qz-wlan-field         field, Architecture: all; made by the native build
#                         only, so one package serves every architecture
# Dependencies on the C library and others come from the binaries by
# dpkg-shlibdeps; a cross build reads the cross sysroot's shlibs files.
set(QZ_DEB_MAINTAINER "libqz_wlan_base maintainers <maintainers@users.noreply.c-seed-369c3c04.example>")
set(QZ_DEB_VERSION ${PROJECT_VERSION})

# Per-package documentation Debian wants: copyright and a compressed changelog.
set(QZ_DEB_DOC_SOURCE ${PROJECT_SOURCE_DIR}/packaging/debian)
foreach(comp_pkg runtime:libqz-wlan-base1 dev:libqz-wlan-base-dev sim:qz-wlan-sim field:qz-wlan-field)
  string(REPLACE ":" ";" comp_pkg ${comp_pkg})
  list(GET comp_pkg 0 comp)
  list(GET comp_pkg 1 pkg)
  set(changelog_gz ${PROJECT_BINARY_DIR}/deb-doc/${pkg}/changelog.gz)
  add_custom_command(OUTPUT ${changelog_gz}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/deb-doc/${pkg}
                     COMMAND ${QZ_GZIP} -9n -c ${QZ_DEB_DOC_SOURCE}/changelog > ${changelog_gz}
                     DEPENDS ${QZ_DEB_DOC_SOURCE}/changelog VERBATIM)
  list(APPEND QZ_DEB_DOCS ${changelog_gz})
  install(FILES ${QZ_DEB_DOC_SOURCE}/copyright ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${pkg}
          COMPONENT ${comp})
endforeach()
add_custom_target(qz_deb_docs ALL DEPENDS ${QZ_DEB_DOCS})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qz-wlan-base)
set(CPACK_PACKAGE_VENDOR "libqz_wlan_base")
set(CPACK_PACKAGE_CONTACT ${QZ_DEB_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${QZ_DEB_VERSION})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev sim)
if(NOT CMAKE_CROSSCOMPILING)
  list(APPEND CPACK_COMPONENTS_ALL field)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_VERSION ${QZ_DEB_VERSION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QZ_DEB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
if(CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE armhf)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${QZ_ARMHF_SYSROOT}/lib)
  set(CPACK_READELF_EXECUTABLE ${CMAKE_READELF})
  # The target's binutils, found beside the cross compiler.
  set(CPACK_OBJDUMP_EXECUTABLE ${CMAKE_OBJDUMP})
  set(CPACK_STRIP_EXECUTABLE ${CMAKE_STRIP})
endif()
# The package's own libraries, for dpkg-shlibdeps to resolve each other.
list(APPEND CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libqz-wlan-base1)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
string(CONCAT CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "Wi-Fi service base library of a home gateway\n"
    "libqz_wlan_base is the base library that a home gateway's WLAN service\n"
    "process loads: the wlancmd engineering shell, in-memory log rings and\n"
    "diagnostic log writers, the air-interface log of anchor stations, the\n"
    "product feature cache, radio, SSID and device-model queries, and\n"
    "utilities. Its platform calls are provided by the host process.\n"
    "\n"
    "This package contains the shared library.")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libqz-wlan-base-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libqz-wlan-base1 (= ${QZ_DEB_VERSION})")
set(CPACK_DEBIAN_DEV_PACKAGE_SHLIBDEPS OFF)
string(CONCAT CPACK_COMPONENT_DEV_DESCRIPTION
    "Wi-Fi service base library of a home gateway - development files\n"
    "libqz_wlan_base is the base library that a home gateway's WLAN service\n"
    "process loads.\n"
    "\n"
    "This package contains the C headers, the feature list and the version\n"
    "header, the development link, a CMake package (qz_wlan_base::qz_wlan_base)\n"
    "and a pkg-config file (qz_wlan_base).")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME qz-wlan-sim)
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION devel)
# wlan_host loads the library at run time (no NEEDED entry to derive it from);
# users' tests build against the headers, which include the JSON library's.
set(CPACK_DEBIAN_SIM_PACKAGE_DEPENDS
    "libqz-wlan-base1 (= ${QZ_DEB_VERSION}), libqz-wlan-base-dev (= ${QZ_DEB_VERSION}), nlohmann-json3-dev (>= 3)")
string(CONCAT CPACK_COMPONENT_SIM_DESCRIPTION
    "simulated home gateway for testing programs on libqz_wlan_base\n"
    "A stand-in for the gateway platform that libqz_wlan_base runs on, driven\n"
    "by a product profile: the platform library and its C++ control header\n"
    "(CMake target qz_wlan_base::platform_sim, pkg-config qz_wlan_base_sim),\n"
    "the wlan_host service process with a wlancmd prompt, the wlancmd client,\n"
    "sample product profiles and the character-set converter the library loads.\n"
    "\n"
    "Use it to run the library and a WLAN service's own tests on a Linux\n"
    "machine, without the gateway.")
# wlan_report inlines Chart.js from /usr/share/javascript into every page it
# writes. It runs on engineers' machines: a cross build has none.
if(TARGET wlan_report)
  string(APPEND CPACK_DEBIAN_SIM_PACKAGE_DEPENDS ", libjs-chart.js")
  string(APPEND CPACK_COMPONENT_SIM_DESCRIPTION
         "\n\nwlan_report turns a gateway's wlan_snapshot archive into one HTML page\n"
         "with charts and tables that opens from disk, and JSON for scripts.")
endif()

set(CPACK_DEBIAN_FIELD_PACKAGE_NAME qz-wlan-field)
set(CPACK_DEBIAN_FIELD_PACKAGE_SECTION net)
set(CPACK_DEBIAN_FIELD_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_FIELD_PACKAGE_SHLIBDEPS OFF)
# It takes its snapshot through whatever runs a wlancmd line: on a Debian
# machine, the kit's client.
set(CPACK_DEBIAN_FIELD_PACKAGE_SUGGESTS qz-wlan-sim)
string(CONCAT CPACK_COMPONENT_FIELD_DESCRIPTION
    "diagnostics snapshot of a home gateway's Wi-Fi service\n"
    "wlan_snapshot collects what libqz_wlan_base writes for engineers into one\n"
    "tar.gz archive: the output of the read-only wlancmd commands (log rings,\n"
    "topology, neighbour relations, the hidden-node check, the master view and\n"
    "the scene), the air-interface record file and its archive, the rotating\n"
    "topology files and the roam lines of the Wi-Fi debug log, with a manifest\n"
    "of what was missing.\n"
    "\n"
    "It is a POSIX shell script that runs on the gateway under BusyBox, or\n"
    "against the simulated gateway of qz-wlan-sim.")

set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/deb-fixup.cmake)

include(CPack)
