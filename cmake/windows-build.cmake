# The Windows program: with MSVC and the vcpkg manifest (vcpkg.json), or with
# MinGW-w64 and the libraries that scripts/windows-deps.sh cross-builds.
if(MINGW)
  include(cmake/mingw-deps.cmake)
else()
  find_package(fmt CONFIG REQUIRED)
  find_package(pugixml CONFIG REQUIRED)
  find_package(nlohmann_json CONFIG REQUIRED)
  find_package(Microsoft.GSL CONFIG REQUIRED)
  find_package(CURL CONFIG REQUIRED)
  find_package(libzip CONFIG REQUIRED)
  find_package(unofficial-sodium CONFIG REQUIRED)
endif()

add_executable(skyweaver WIN32 ${SKYWEAVER_PRODUCT_SOURCES} ${CMAKE_SOURCE_DIR}/src/app/skyweaver.rc)
target_include_directories(skyweaver PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(skyweaver PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(skyweaver PRIVATE fmt::fmt pugixml::pugixml nlohmann_json::nlohmann_json
  Microsoft.GSL::GSL CURL::libcurl libzip::zip unofficial-sodium::sodium
  ws2_32 winmm shell32 ole32 advapi32 user32 gdi32)
if(MINGW)
  # wWinMain as the entry; the C++ runtime and winpthread linked in, so the program
  # needs no DLL beside it but SimConnect.dll.
  target_compile_options(skyweaver PRIVATE -Wall -Wextra)
  target_link_options(skyweaver PRIVATE -municode -static)
endif()

if(SKYWEAVER_SIMCONNECT_SDK)
  target_compile_definitions(skyweaver PRIVATE SKYWEAVER_HAVE_SIMCONNECT_SDK)
  target_include_directories(skyweaver PRIVATE ${SKYWEAVER_SIMCONNECT_SDK}/include)
  target_link_libraries(skyweaver PRIVATE ${SKYWEAVER_SIMCONNECT_SDK}/lib/SimConnect.lib)
else()
  # Without the SDK, the simulated simulator stands in as SimConnect.dll.
  include(cmake/simconnect-dll.cmake)
  target_link_libraries(skyweaver PRIVATE SimConnect)
endif()

if(MINGW)
  # Helpers of the Wine run: closing the program's window as a user does, and checks
  # that need the Windows build's own paths (UTF-16 file names).
  add_executable(close_window ${CMAKE_SOURCE_DIR}/tools/windows/close_window.cpp)
  target_link_options(close_window PRIVATE -municode -static)
  add_executable(path_text_checks ${CMAKE_SOURCE_DIR}/tools/windows/path_text_checks.cpp
    ${CMAKE_SOURCE_DIR}/src/core/path_text.cpp ${CMAKE_SOURCE_DIR}/src/core/text_convert.cpp)
  target_include_directories(path_text_checks PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_definitions(path_text_checks PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
  target_link_libraries(path_text_checks PRIVATE Microsoft.GSL::GSL)
  target_link_options(path_text_checks PRIVATE -static)
endif()
