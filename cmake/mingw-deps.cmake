# The libraries of the MinGW-w64 build, cross-built as static libraries by
# scripts/windows-deps.sh into the prefix SKYWEAVER_WINDEPS, under the target
# names the vcpkg build uses.
set(SKYWEAVER_WINDEPS "" CACHE PATH "Prefix of the cross-built libraries (scripts/windows-deps.sh)")
if(NOT SKYWEAVER_WINDEPS OR NOT EXISTS ${SKYWEAVER_WINDEPS}/lib/libsodium.a)
  message(FATAL_ERROR "SKYWEAVER_WINDEPS must name the prefix that scripts/windows-deps.sh prints")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${SKYWEAVER_WINDEPS})
# MinGW's zlib comes as a DLL and as a static library: the static one, so the
# program needs no zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

find_package(fmt CONFIG REQUIRED)
find_package(pugixml CONFIG REQUIRED)
find_package(CURL CONFIG REQUIRED)
find_package(libzip CONFIG REQUIRED)

add_library(unofficial-sodium::sodium STATIC IMPORTED)
set_target_properties(unofficial-sodium::sodium PROPERTIES
  IMPORTED_LOCATION ${SKYWEAVER_WINDEPS}/lib/libsodium.a
  INTERFACE_INCLUDE_DIRECTORIES ${SKYWEAVER_WINDEPS}/include
  INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC)

# Header-only: nlohmann-json and GSL.
foreach(header_only nlohmann_json::nlohmann_json Microsoft.GSL::GSL)
  add_library(${header_only} INTERFACE IMPORTED)
  set_target_properties(${header_only} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${SKYWEAVER_WINDEPS}/include)
endforeach()
