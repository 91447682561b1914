# libqz_wlan_base: the objects are compiled once and linked twice, into the
# shared library the host loads and into a static archive for unit tests (so
# internal functions are testable without exporting them).
add_library(qz_wlan_base_objs OBJECT
  src/airinterface/wlan_airInterfacelog.cpp
  src/feature/wlan_feature.cpp
  src/log/wlan_log.cpp
  src/log/wlan_log_assoc.cpp
  src/log/wlan_log_neigh.cpp
  src/log/wlan_log_roam.cpp
  src/log/wlan_log_topo.cpp
  src/query/wlan_db.cpp
  src/query/wlan_dm.cpp
  src/query/wlan_spec.cpp
  src/shell/wlan_debug.cpp
  src/shell/wlan_debug_catalogue.cpp
  src/shell/wlan_debug_handlers.cpp
  src/shell/wlan_debug_relation.cpp
  src/util/wlan_base_pwd.cpp
  src/util/wlan_base_text.cpp
  src/util/wlan_base_url.cpp
  src/util/wlan_datatrans_api.cpp
  src/util/wlan_dev_api.cpp
  src/util/wlan_mac_api.cpp
  src/util/wlan_trans_encode.cpp)
# The folders only the library's own sources (and its unit tests) see.
set(QZ_LIB_INTERNAL_INCLUDE_DIRS ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/src/platform
                                 ${PROJECT_SOURCE_DIR}/src/common)
target_include_directories(qz_wlan_base_objs PRIVATE ${PROJECT_SOURCE_DIR}/include ${QZ_GENERATED_INCLUDE_DIR}
                                                     ${QZ_LIB_INTERNAL_INCLUDE_DIRS})
# Marks the exports visible; a user of the headers builds without it.
target_compile_definitions(qz_wlan_base_objs PRIVATE QZ_WLAN_BUILDING)
target_compile_options(qz_wlan_base_objs PRIVATE
  -fvisibility=hidden -fvisibility-inlines-hidden -fno-exceptions -fno-rtti -fno-threadsafe-statics
  -fno-asynchronous-unwind-tables -fstack-usage -Wframe-larger-than=4096)
target_link_libraries(qz_wlan_base_objs PRIVATE qz_warnings)

# The platform is the host's: the shared library is linked without it, and
# without the C++ runtime (C linker, C library only).
add_library(qz_wlan_base SHARED $<TARGET_OBJECTS:qz_wlan_base_objs>)
# libqz_wlan_base.so.1.0.0, SONAME libqz_wlan_base.so.1: the major number
# changes with any incompatible interface change (docs/packaging.md).
set_target_properties(qz_wlan_base PROPERTIES LINKER_LANGUAGE C OUTPUT_NAME qz_wlan_base
                                              VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
target_link_options(qz_wlan_base PRIVATE -nodefaultlibs -Wl,--as-needed -Wl,-z,now)
target_link_libraries(qz_wlan_base PRIVATE c gcc)
target_include_directories(qz_wlan_base PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
                                                $<BUILD_INTERFACE:${QZ_GENERATED_INCLUDE_DIR}>)

# Never installed: unit tests reach the internals through it, so it carries the
# internal folders the installed library keeps to itself.
add_library(qz_wlan_base_static STATIC $<TARGET_OBJECTS:qz_wlan_base_objs>)
target_include_directories(qz_wlan_base_static PUBLIC ${PROJECT_SOURCE_DIR}/include ${QZ_GENERATED_INCLUDE_DIR}
                                                      ${QZ_LIB_INTERNAL_INCLUDE_DIRS})

# Stack budget, checked on every plain build: no frame above 4 KiB; on the
# 32-bit ARM target the logging entry points, which any thread calls from deep
# inside its own work, keep at most 512 bytes. (Sanitizers inflate frames.)
if(NOT QZ_SANITIZE)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^arm")
    set(QZ_ENTRY_STACK_LIMIT 512)
  else()
    set(QZ_ENTRY_STACK_LIMIT 0)
  endif()
  add_custom_command(TARGET qz_wlan_base POST_BUILD
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-stack-usage.sh
            ${CMAKE_BINARY_DIR}/CMakeFiles/qz_wlan_base_objs.dir 4096 ${QZ_ENTRY_STACK_LIMIT}
    VERBATIM)
endif()
