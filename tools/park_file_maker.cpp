// Park-file maker: writes an airport's park file from a plain list of its stands, each with
// the aircraft that stands there on every weekday and at every half hour, through the
// program's own park-file writer. The demo makes its "airports/my_simaddon" file with it.
//   park_file_maker <stands.txt> <output.xml>
// The list holds "name = value" lines: icao, airport_name, altitude, publisher, and one
//   stand = <id> <latitude> <longitude> <heading deg> <radius m> <airline> <type> <registration> <callsign>
// per stand; "#" starts a comment.
#include "core/path_text.h"
#include "core/text_strings.h"
#include "parking/apf.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>

namespace {

constexpr int kSimulator2020 = 1;

// The aircraft stands there at every half hour of every weekday.
std::vector<ParkOpt> lf_everyDay(const std::string& airline, const std::string& type, const std::string& reg,
                                 const std::string& callsign)
{
    std::vector<ParkOpt> options;
    for (std::uint32_t day = 1; day <= 7; ++day) {
        ParkOpt option;
        option.airl = airline;
        option.type = type;
        option.reg = reg;
        option.cs = callsign;
        option.hh.set();
        option.seq = day;
        option.day = day;
        options.push_back(std::move(option));
    }
    return options;
}

Stand lf_readStand(const std::string& text)
{
    std::istringstream in(text);
    std::string id, airline, type, reg, callsign;
    double lat = 0.0, lon = 0.0, headingDeg = 0.0, radius = 0.0;
    if (!(in >> id >> lat >> lon >> headingDeg >> radius >> airline >> type >> reg >> callsign)) {
        throw std::runtime_error("not a stand: " + text);
    }
    Stand stand(std::move(id), lf_everyDay(airline, type, reg, callsign),
                StandPlace{lat, lon, headingDeg * std::numbers::pi / 180.0}, radius, false, false, false);
    return stand;
}

void lf_readLine(const std::string& line, Apf& apf)
{
    const std::string text = gf_trim(line.substr(0, line.find('#')));
    if (text.empty()) {
        return;
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        throw std::runtime_error("no '=' in: " + text);
    }
    const std::string name = gf_trim(text.substr(0, equals));
    const std::string value = gf_trim(text.substr(equals + 1));
    if (name == "icao") {
        apf.icao = value;
    } else if (name == "airport_name") {
        apf.airport_name = value;
    } else if (name == "altitude") {
        apf.altitude = std::stoi(value);
    } else if (name == "publisher") {
        apf.publisher = value;
    } else if (name == "stand") {
        apf.stands.push_back(lf_readStand(value));
    } else {
        throw std::runtime_error("unknown entry: " + name);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: park_file_maker <stands.txt> <output.xml>\n");
        return 2;
    }
    try {
        std::ifstream in(gf_utf8ToPath(argv[1]));
        if (!in.is_open()) {
            std::fprintf(stderr, "cannot open %s\n", argv[1]);
            return 1;
        }
        Apf apf;
        for (std::string line; std::getline(in, line);) {
            lf_readLine(line, apf);
        }
        if (apf.icao.empty() || apf.stands.empty()) {
            std::fprintf(stderr, "%s names no airport or no stand\n", argv[1]);
            return 1;
        }
        // A handmade file: every stand written with its position, the header with the
        // altitude and the quality of its uses.
        g_apfHandmade = true;
        g_stands = apf.stands;
        std::tie(apf.Qf_real, apf.Qf_soft) = gf_computeQualityFactors();
        if (!gf_writeApf(apf, gf_utf8ToPath(argv[2]), kApfLearned, kSimulator2020)) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "park_file_maker: %s\n", e.what());
        return 1;
    }
    return 0;
}
