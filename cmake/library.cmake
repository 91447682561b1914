# libqz_wlan_base: the objects are compiled once and linked twice, into the
# shared library the host loads and into a static archive for unit tests (so
# internal functions are testable without exporting them).
file(GLOB_RECURSE QZ_LIB_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/*.cpp)

add_library(qz_wlan_base_objs OBJECT ${QZ_LIB_SOURCES})
target_include_directories(qz_wlan_base_objs
  PUBLIC ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/src/platform ${PROJECT_SOURCE_DIR}/src/common)
target_compile_definitions(qz_wlan_base_objs PUBLIC QZ_WLAN_BUILDING)
target_compile_options(qz_wlan_base_objs PRIVATE
  -fvisibility=hidden -fvisibility-inlines-hidden -fno-exceptions -fno-rtti -fno-threadsafe-statics
  -fno-asynchronous-unwind-tables -fstack-usage -Wframe-larger-than=4096)

# The platform is the host's: the shared library is linked without it, and
# without the C++ runtime (C linker, C library only).
add_library(qz_wlan_base SHARED $<TARGET_OBJECTS:qz_wlan_base_objs>)
set_target_properties(qz_wlan_base PROPERTIES LINKER_LANGUAGE C OUTPUT_NAME qz_wlan_base)
target_link_options(qz_wlan_base PRIVATE -nodefaultlibs -Wl,--as-needed -Wl,-z,now)
target_link_libraries(qz_wlan_base PRIVATE c gcc)
target_include_directories(qz_wlan_base PUBLIC ${PROJECT_SOURCE_DIR}/include)

add_library(qz_wlan_base_static STATIC $<TARGET_OBJECTS:qz_wlan_base_objs>)
target_include_directories(qz_wlan_base_static
  PUBLIC ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/src/platform ${PROJECT_SOURCE_DIR}/src/common
         ${PROJECT_SOURCE_DIR}/src)
