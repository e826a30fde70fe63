# SimConnect.dll built from the simulated simulator, exporting the SimConnect
# functions the program calls, so the Windows program runs against the same
# simulator as the Linux one (scenario and trace from the same environment
# variables). On a user's PC the simulator's own SimConnect.dll takes its place.
set(SIMCONNECT_DLL_SOURCES simconnect_calls simworld simworld_calls simworld_data simworld_messages
  simworld_scenario)
list(TRANSFORM SIMCONNECT_DLL_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/src/platform/standin/)
list(TRANSFORM SIMCONNECT_DLL_SOURCES APPEND .cpp)
add_library(SimConnect SHARED ${SIMCONNECT_DLL_SOURCES} ${CMAKE_SOURCE_DIR}/src/platform/standin/simconnect.def)
set_target_properties(SimConnect PROPERTIES PREFIX "" OUTPUT_NAME SimConnect)
target_include_directories(SimConnect PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(SimConnect PRIVATE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
target_link_libraries(SimConnect PRIVATE fmt::fmt)
if(MINGW)
  target_compile_options(SimConnect PRIVATE -Wall -Wextra)
  target_link_options(SimConnect PRIVATE -static)
endif()
