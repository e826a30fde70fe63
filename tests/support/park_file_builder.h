// Park files for tests and benchmarks: the XML text of stands with their observed uses.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct OptFixture {
    std::string reg;
    std::string airl;
    std::string type;
    std::string cs;
    int day = 1;
    std::string hh = "10:12";
    bool soft = false;
    bool cpl = false;
};

struct StandFixture {
    std::string id;
    double latitude = 50.0;
    double longitude = 8.0;
    double heading = 0.0;  // degrees
    double radius = 20.0;  // metres
    std::vector<OptFixture> opts;
    std::string extraAttributes;  // written as they stand, e.g. R"(cargo="true")"
};

// A park file with a meta header, the given "parameter" elements and the stands.
std::string parkFileXml(const std::vector<StandFixture>& stands, const std::string& parameters = {});

// A realistic large airport: stands on a grid 60 m apart with radii of 25 to 35 m, each with the
// given number of observed uses spread over the week and the day.
std::vector<StandFixture> largeAirportStands(int standCount, int optionsPerStand);

} // namespace testsupport
