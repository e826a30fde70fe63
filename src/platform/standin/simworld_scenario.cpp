// The simulated simulator's scenario file (a run's configuration, one
// "key = value" a line, '#' starts a comment) and its trace CSV.
#include "platform/standin/simworld_state.h"

#include <charconv>
#include <chrono>
#include <fmt/format.h>
#include <functional>
#include <numbers>
#include <sstream>

namespace standin {

namespace {

std::string lf_trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

double lf_number(const std::string& text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        throw std::invalid_argument("not a number: '" + text + "'");
    }
    return value;
}

long long lf_integer(const std::string& text)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        throw std::invalid_argument("not a whole number: '" + text + "'");
    }
    return value;
}

bool lf_flag(const std::string& text)
{
    if (text == "1" || text == "true" || text == "yes") {
        return true;
    }
    if (text == "0" || text == "false" || text == "no") {
        return false;
    }
    throw std::invalid_argument("not 0 or 1: '" + text + "'");
}

// "YYYY-MM-DDTHH:MM:SS" (a trailing "Z" allowed) as seconds since 1970.
std::int64_t lf_utcSeconds(const std::string& text)
{
    int year = 0;
    unsigned month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char z = 0;
    if (std::sscanf(text.c_str(), "%d-%u-%uT%u:%u:%u%c", &year, &month, &day, &hour, &minute, &second, &z) < 6) {
        throw std::invalid_argument("not a UTC time like 2024-02-29T12:00:00: '" + text + "'");
    }
    const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(month),
                                           std::chrono::day(day)};
    if (!date.ok() || hour > 23 || minute > 59 || second > 59) {
        throw std::invalid_argument("no such UTC time: '" + text + "'");
    }
    return std::chrono::sys_days{date}.time_since_epoch().count() * 86400LL + hour * 3600 + minute * 60 + second;
}

// "NAME MAJOR.MINOR.BUILDMAJOR.BUILDMINOR"
void lf_application(SimWorldConfig& config, const std::string& text)
{
    const auto blank = text.rfind(' ');
    unsigned v[4] = {};
    if (blank == std::string::npos ||
        std::sscanf(text.c_str() + blank + 1, "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]) != 4) {
        throw std::invalid_argument("not a name and four version numbers: '" + text + "'");
    }
    config.applicationName = lf_trim(text.substr(0, blank));
    config.versionMajor = v[0];
    config.versionMinor = v[1];
    config.buildMajor = v[2];
    config.buildMinor = v[3];
}

using Setter = std::function<void(SimWorldConfig&, const std::string&)>;

const std::map<std::string, Setter>& lf_keys()
{
    constexpr double radPerDeg = std::numbers::pi / 180.0;
    static const std::map<std::string, Setter> keys = {
        {"simulator",
         [](SimWorldConfig& c, const std::string& v) {
             const auto year = lf_integer(v);
             if (year != 2020 && year != 2024) {
                 throw std::invalid_argument("simulator is 2020 or 2024");
             }
             const SimWorldConfig chosen = SimWorldConfig::forSimulator(static_cast<int>(year));
             c.applicationName = chosen.applicationName;
             c.versionMajor = chosen.versionMajor;
             c.versionMinor = chosen.versionMinor;
             c.buildMajor = chosen.buildMajor;
             c.buildMinor = chosen.buildMinor;
         }},
        {"application", lf_application},
        {"clock",
         [](SimWorldConfig& c, const std::string& v) {
             if (v != "realtime" && v != "stepped") {
                 throw std::invalid_argument("clock is realtime or stepped");
             }
             c.clock = v == "realtime" ? SimClock::RealTime : SimClock::Stepped;
         }},
        {"simulator_running", [](SimWorldConfig& c, const std::string& v) { c.simulatorRunning = lf_flag(v); }},
        {"flight_running", [](SimWorldConfig& c, const std::string& v) { c.flightRunning = lf_flag(v); }},
        {"refuse_open", [](SimWorldConfig& c, const std::string& v) { c.refuseOpenCount = int(lf_integer(v)); }},
        {"installed_title", [](SimWorldConfig& c, const std::string& v) { c.installedTitles.push_back(v); }},
        {"terrain_elevation_ft", [](SimWorldConfig& c, const std::string& v) { c.terrainElevationFt = lf_number(v); }},
        {"create_delay_frames",
         [](SimWorldConfig& c, const std::string& v) { c.createDelayFrames = int(lf_integer(v)); }},
        {"static_cg_ft", [](SimWorldConfig& c, const std::string& v) { c.staticCgFt = lf_number(v); }},
        {"static_pitch_deg",
         [=](SimWorldConfig& c, const std::string& v) { c.staticPitchRad = lf_number(v) * radPerDeg; }},
        {"utc_start", [](SimWorldConfig& c, const std::string& v) { c.startUtcSeconds = lf_utcSeconds(v); }},
        {"flight_file", [](SimWorldConfig& c, const std::string& v) { c.flightFileName = v; }},
        {"user_lat", [](SimWorldConfig& c, const std::string& v) { c.user.latitude = lf_number(v); }},
        {"user_lon", [](SimWorldConfig& c, const std::string& v) { c.user.longitude = lf_number(v); }},
        {"user_alt_ft", [](SimWorldConfig& c, const std::string& v) { c.user.altitudeFt = lf_number(v); }},
        {"user_heading_deg", [](SimWorldConfig& c, const std::string& v) { c.user.headingDeg = lf_number(v); }},
        {"user_speed_kt", [](SimWorldConfig& c, const std::string& v) { c.user.groundSpeedKt = lf_number(v); }},
        {"user_vs_fpm", [](SimWorldConfig& c, const std::string& v) { c.user.verticalSpeedFpm = lf_number(v); }},
        {"user_on_ground", [](SimWorldConfig& c, const std::string& v) { c.user.onGround = lf_flag(v); }},
        {"user_static_cg_ft", [](SimWorldConfig& c, const std::string& v) { c.user.staticCgFt = lf_number(v); }},
        {"user_title", [](SimWorldConfig& c, const std::string& v) { c.user.title = v; }},
        {"user_atc_model", [](SimWorldConfig& c, const std::string& v) { c.user.atcModel = v; }},
        {"user_lights", [](SimWorldConfig& c, const std::string& v) { c.user.lightStates = lf_integer(v); }},
    };
    return keys;
}

// A CSV field, quoted when it holds a separator or a quote.
std::string lf_csvField(const std::string& text)
{
    if (text.find_first_of(",\"\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

} // namespace

bool SimWorld::loadScenario(const std::filesystem::path& path, SimWorldConfig& config, std::string& error)
{
    std::ifstream file(path);
    if (!file) {
        error = "cannot read scenario '" + path.string() + "'";
        return false;
    }
    SimWorldConfig loaded;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string content = lf_trim(line.substr(0, line.find('#')));
        if (content.empty()) {
            continue;
        }
        const auto equals = content.find('=');
        const std::string key = equals == std::string::npos ? content : lf_trim(content.substr(0, equals));
        const auto setter = lf_keys().find(key);
        try {
            if (equals == std::string::npos || setter == lf_keys().end()) {
                throw std::invalid_argument("unknown setting '" + key + "'");
            }
            setter->second(loaded, lf_trim(content.substr(equals + 1)));
        } catch (const std::exception& fault) {
            error = fmt::format("{} line {}: {}", path.string(), number, fault.what());
            return false;
        }
    }
    config = std::move(loaded);
    return true;
}

void SimWorld::setTracePath(const std::filesystem::path& path)
{
    std::lock_guard lock(m_mutex);
    m_state->trace = std::ofstream();
    if (path.empty()) {
        return;
    }
    m_state->trace.open(path, std::ios::binary | std::ios::trunc);
    m_state->trace << "time,id,title,tail,lat,lon,alt,heading,on_ground\n";
    m_state->trace.flush();
}

void writeTraceRows(SimWorld::State& state)
{
    if (!state.trace.is_open()) {
        return;
    }
    const std::uint64_t seconds = state.frame / kFramesPerSecond;
    for (const auto& [id, object] : state.objects) {
        if (!object.alive) {
            continue;
        }
        state.trace << fmt::format("{},{},{},{},{:.6f},{:.6f},{:.1f},{:.1f},{}\n", seconds, id,
                                   lf_csvField(object.title), lf_csvField(object.tailNumber), object.latitude,
                                   object.longitude, object.altitudeFt,
                                   object.headingRad * 180.0 / std::numbers::pi,
                                   objectOnGround(state, object) ? 1 : 0);
    }
    state.trace.flush();
}

} // namespace standin
