# Compile-only build of the product sources for Windows (MinGW-w64). The
# dependencies are header-only for this purpose; their headers are linked into
# a build-local folder so that /usr/include (Linux system headers) stays out.
set(WINCHECK_INCLUDE ${CMAKE_BINARY_DIR}/wincheck-include)
file(MAKE_DIRECTORY ${WINCHECK_INCLUDE})
foreach(entry
    /usr/include/fmt /usr/include/pugixml.hpp /usr/include/pugiconfig.hpp
    /usr/include/nlohmann /usr/include/gsl /usr/include/sodium /usr/include/sodium.h
    /usr/include/zip.h /usr/include/zipconf.h /usr/include/x86_64-linux-gnu/curl)
  get_filename_component(name ${entry} NAME)
  if(EXISTS ${entry} AND NOT EXISTS ${WINCHECK_INCLUDE}/${name})
    file(CREATE_LINK ${entry} ${WINCHECK_INCLUDE}/${name} SYMBOLIC)
  endif()
endforeach()

add_library(skyweaver_wincheck OBJECT ${SKYWEAVER_PRODUCT_SOURCES})
target_include_directories(skyweaver_wincheck PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_include_directories(skyweaver_wincheck SYSTEM PRIVATE ${WINCHECK_INCLUDE})
target_compile_definitions(skyweaver_wincheck PRIVATE
  FMT_HEADER_ONLY UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN CURL_STATICLIB SODIUM_STATIC)
target_compile_options(skyweaver_wincheck PRIVATE -Wall -Wextra)
add_custom_target(wincheck ALL DEPENDS skyweaver_wincheck)
