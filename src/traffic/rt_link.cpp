// The "Qs" messages of the RealTraffic link: the handshake of a run, the version reply,
// the user aircraft's position with re-connect and loss handling, and the simulator time.
#include "traffic/rt_link.h"

#include "app/exit_reason.h"
#include "app/start_up_state.h"
#include "core/fault_log.h"
#include "core/log.h"
#include "core/program_version.h"
#include "core/stop_flags.h"
#include "core/time_text.h"
#include "core/traffic_time.h"
#include "engine/ac_containers.h"
#include "engine/life_cycle.h"
#include "engine/stand_search.h"
#include "simlink/user_aircraft.h"
#include "traffic/reader_lights.h"
#include "ui/main_window.h"
#include "ui/panel_repaint.h"
#include "ui/status_line.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kDegToRadians = std::numbers::pi / 180.0;

void lf_setRealTrafficText(std::string text)
{
    {
        std::lock_guard lock(g_mainWindowState.rtTextMutex);
        g_mainWindowState.rtText = std::move(text);
    }
    gf_repaintPanelHeader();
}

void lf_setLinkReady(bool ready)
{
    g_rtLinkReady.store(ready);
    gf_repaintPanelHeader();
}

// The version member as text: a string as it stands, a number as JSON writes it.
std::string lf_versionText(const nlohmann::json& reply)
{
    const auto found = reply.find("version");
    if (found == reply.end() || found->is_null())
        return {};
    return found->is_string() ? found->get<std::string>() : found->dump();
}

bool lf_levelIsProf(const nlohmann::json& reply)
{
    const auto found = reply.find("level");
    return found != reply.end() && found->is_number() && found->get<double>() == 2.0;
}

bool lf_userPositionKnown()
{
    return std::abs(g_userAcData.latitude) >= 0.0001 || std::abs(g_userAcData.longitude) >= 0.0001;
}

// RealTraffic is gone: its live traffic leaves the simulator; aircraft whose creation is
// still waiting are dropped with their request.
void lf_removeLiveTraffic()
{
    for (LiveAc& ac : g_liveAcs) {
        if (ac.simState == SimState::active)
            removeAircraftFromSim(ac);
        else if (ac.simState == SimState::adding2sim && gf_withdrawCreateRequest(ac)) {
            ac.withdrawn = 1;
            lf_releaseStand(ac);
        }
    }
    std::erase_if(g_liveAcs, [](const LiveAc& ac) { return ac.withdrawn != 0; });
}

void lf_onSendFailed()
{
    lf_setLinkReady(false);
    if (!g_exitRequested.load())
        lf_removeLiveTraffic();
    gf_resetFeedState();
    gf_showMessage(fmt::format("{} RealTraffic gone? Wait for RealTraffic to re-connect ...", gf_nowTime()), true);
}

void lf_reconnect()
{
    if (g_exitReason.load() != 0 || !waitForClient())
        return;
    lf_setLinkReady(true);
    gf_showMessage(fmt::format("{} RealTraffic re-connected", gf_nowTime()), true);
    gf_clearMessage();
}

} // namespace

void gf_connectRealTraffic()
{
    if (g_realTrafficOnThisPC.load()) {
        gf_showMessage(fmt::format("Waiting for RealTraffic to connect to {} ...", kProductName), true);
        gf_flushLog();
        gf_resetFeedState();
        if (waitForClient()) {
            sendDataPacket("Qs999=version\r\n");
            lf_processRTVersion(receive());
            lf_setLinkReady(true);
            g_waitingForRealTraffic.store(false);
            gf_log("RealTraffic connected");
        }
    }
    gf_clearMessage();
}

void lf_processRTVersion(std::string_view reply)
{
    if (reply.empty()) {
        gf_showMessage("No RealTraffic version received?", true);
        g_rtEditionProf.store(false);
        return;
    }
    nlohmann::json version;
    try {
        version = nlohmann::json::parse(reply);
    } catch (const nlohmann::json::exception& e) {
        // The parser's text quotes the reply, which may be anything a peer sent.
        gf_log(gf_cutFaultLine(fmt::format("{}: JSON parse failed: {}", "lf_processRTVersion", e.what())));
        g_rtEditionProf.store(false);
        lf_setRealTrafficText({});
        return;
    }
    if (!version.is_object()) {
        g_rtEditionProf.store(false);
        lf_setRealTrafficText({});
        return;
    }
    const bool prof = lf_levelIsProf(version);
    g_rtEditionProf.store(prof);
    lf_setRealTrafficText(fmt::format("RT {} edition: {}", prof ? "prof" : "stnd", lf_versionText(version)));
}

std::string gf_qs121Line(double pitch, double bank, double heading, double altitude, double groundSpeed,
                         double latitude, double longitude)
{
    // Whole numbers are written without decimals and without exponents; the ground speed in
    // its shortest exact form.
    return fmt::format("Qs121={:.0f};{:.0f};{:.6f};{:.0f};{};{:.6f};{:.6f}\r\n", pitch * 100000.0,
                       bank * 100000.0, heading, altitude * 1000.0, groundSpeed * 1000.0, latitude * kDegToRadians,
                       longitude * kDegToRadians);
}

void gf_sendUserPosition()
{
    if (!g_realTrafficOnThisPC.load() || !lf_userPositionKnown())
        return;
    if (!g_rtClientConnected.load()) {
        lf_reconnect();
        return;
    }
    const UserAcData& user = g_userAcData;
    if (sendDataPacket(gf_qs121Line(user.pitch, user.bank, user.heading, user.altitude, user.groundSpeed,
                                    user.latitude, user.longitude)))
        return;
    lf_onSendFailed();
}

void gf_sendQs123(std::int64_t epochSeconds)
{
    if (g_rtClientConnected.load() && epochSeconds >= 1)
        sendDataPacket(fmt::format("Qs123={}\r\n", epochSeconds * 1000));
}
