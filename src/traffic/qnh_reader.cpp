// The weather JSON's "QNH", in hPa or in inches of mercury x 100, published as hPa.
#include "traffic/qnh_reader.h"

#include "app/start_up_state.h"
#include "core/fault_log.h"
#include "core/log.h"
#include "core/run_state.h"
#include "traffic/reader_lights.h"
#include "ui/panel_repaint.h"

#include <fmt/format.h>
#include <gsl/narrow>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <system_error>

QnhReader g_qnhReader;

namespace {

FaultLog lv_qnhTextFaults("QNH string parse error");
FaultLog lv_noQnhFaults("no QNH");
FaultLog lv_weatherFaults("Exception in weather");
const RunStateRegistration lf_faultLogState{
    gf_faultLogEntry("lv_qnhTextFaults", lv_qnhTextFaults),
    gf_faultLogEntry("lv_noQnhFaults", lv_noQnhFaults),
    gf_faultLogEntry("lv_weatherFaults", lv_weatherFaults),
};

// The nearest integer; a value outside 32 bits is a narrowing fault.
std::int32_t lf_roundToInt32(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() && rounded <= std::numeric_limits<std::int32_t>::max()))
        throw gsl::narrowing_error();
    return static_cast<std::int32_t>(rounded);
}

// The "QNH" member as a whole number, or nothing (logged) when it has none.
std::optional<std::int32_t> lf_qnhValue(const nlohmann::json& weather, std::string_view datagram)
{
    const auto member = weather.is_object() ? weather.find("QNH") : weather.end();
    if (member != weather.end() && (member->is_number() || member->is_boolean()))
        return lf_roundToInt32(member->get<float>());
    if (member != weather.end() && member->is_string()) {
        const auto& text = member->get_ref<const std::string&>();
        std::int32_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc())
            return value;
        if (const auto line = lv_qnhTextFaults.admit(
                fmt::format("QNH string parse error: {} in {}", std::make_error_code(error).message(), datagram)))
            gf_logMarked(*line);
        return std::nullopt;
    }
    if (const auto line = lv_noQnhFaults.admit(fmt::format("no QNH {}", datagram)))
        gf_log(*line);
    return std::nullopt;
}

} // namespace

void QnhReader::onDatagram()
{
    handleWeather(std::string_view(m_data, m_length));
}

void QnhReader::handleWeather(std::string_view datagram)
{
    try {
        const auto weather = nlohmann::json::parse(datagram);
        auto qnh = lf_qnhValue(weather, datagram);
        if (!qnh)
            return;
        // Above 1100 the value is inches of mercury x 100.
        if (*qnh > 1100)
            qnh = lf_roundToInt32(*qnh * 0.33865307);
        publish(std::clamp(*qnh, 900, 1100));
    } catch (const std::exception& e) {
        if (const auto line = lv_weatherFaults.admit(fmt::format("Exception {}, in {}", e.what(), datagram)))
            gf_log(*line);
    }
}

void QnhReader::publish(std::int32_t qnh)
{
    if (qnh == m_lastQnh && qnh != 1013)
        return;
    m_lastQnh = qnh;
    g_trafficQnh = qnh;
    g_currentQnh.exchange(qnh);
    g_panelQnh = qnh;
    std::int32_t stale = kLightStale;
    g_qnhLight.compare_exchange_strong(stale, kLightLive);
    gf_repaintPanelHeader();
}

void QnhReader::onStopped()
{
    gf_log("QNH Reader has stopped");
}

void gf_qnhReaderThread(unsigned short port)
{
    g_qnhReader.runThread("QNH Reader", port, g_realTrafficOnThisPC, g_qnhLight, nullptr);
}

void QnhReader::resetForRestart()
{
    UdpReader::resetForRestart();
    resetQnh();
}

std::string QnhReader::stateText() const
{
    return fmt::format("{}; qnh {}", UdpReader::stateText(), m_lastQnh.load());
}

namespace {

const RunStateRegistration lf_runState{
    {"g_qnhReader", RunStateArea::Traffic, [] { g_qnhReader.resetForRestart(); },
     [] { return g_qnhReader.stateText(); }},
};

} // namespace
