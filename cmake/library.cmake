# libqz_wlan_base: the objects are compiled once and linked twice, into the
# shared library the host loads and into a static archive for unit tests (so
# internal functions are testable without exporting them).
file(GLOB_RECURSE QZ_LIB_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.cpp)

add_library(qz_wlan_base_objs OBJECT ${QZ_LIB_SOURCES})
target_include_directories(qz_wlan_base_objs
  PUBLIC ${PROJECT_SOURCE_DIR}/include ${QZ_GENERATED_INCLUDE_DIR} ${PROJECT_SOURCE_DIR}/src/platform
         ${PROJECT_SOURCE_DIR}/src/common)
target_compile_definitions(qz_wlan_base_objs PUBLIC QZ_WLAN_BUILDING)
target_compile_options(qz_wlan_base_objs PRIVATE
  -fvisibility=hidden -fvisibility-inlines-hidden -fno-exceptions -fno-rtti -fno-threadsafe-statics
  -fno-asynchronous-unwind-tables -fstack-usage -Wframe-larger-than=4096)

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

add_library(qz_wlan_base_static STATIC $<TARGET_OBJECTS:qz_wlan_base_objs>)
target_include_directories(qz_wlan_base_static
  PUBLIC ${PROJECT_SOURCE_DIR}/include ${QZ_GENERATED_INCLUDE_DIR} ${PROJECT_SOURCE_DIR}/src/platform
         ${PROJECT_SOURCE_DIR}/src/common ${PROJECT_SOURCE_DIR}/src)

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
