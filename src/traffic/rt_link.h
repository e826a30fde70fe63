// The RealTraffic TCP link: the server RealTraffic connects to, its "Qs" messages and
// the user aircraft's position to RealTraffic.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

// "Qs121" with the user aircraft's position, with re-connect and loss handling.
void gf_sendUserPosition();

// A RealTraffic client is connected.
extern std::atomic<bool> g_rtClientConnected;
// True at process start and after every restart until RealTraffic has connected.
extern std::atomic<bool> g_waitingForRealTraffic;

// Opens the listen socket on the port; throws std::runtime_error on failure.
void gf_openServer(std::string_view port);
// The handshake of a run: waits for RealTraffic and asks its version.
void gf_connectRealTraffic();
// "Qs123" with the simulator's UTC time, "prof" edition only.
void gf_sendQs123(std::int64_t epochSeconds);
bool sendDataPacket(std::string_view text);
// Closes the client and the listen socket and ends Winsock's use by the link.
void gf_closeRealTrafficSockets();

// Accepts RealTraffic when no client is connected; true when a new client was accepted.
// Waits in steps and gives up when a stop is requested or the listen socket is closed.
bool waitForClient();
// One receive of at most 16383 bytes; empty on failure, on a stop or when nothing came.
std::string receive();
// Reads RealTraffic's version reply: its edition and the RealTraffic text of the panel.
void lf_processRTVersion(std::string_view reply);
// The "Qs121" line of a user aircraft block's values (radians, feet, knots, degrees).
std::string gf_qs121Line(double pitch, double bank, double heading, double altitude, double groundSpeed,
                         double latitude, double longitude);
