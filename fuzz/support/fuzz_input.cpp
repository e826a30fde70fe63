// The RAM folder and the one-time set-up shared by the fuzz targets.
#include "support/fuzz_input.h"

#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"
#include "refdata/data_crypt.h"
#include "support/reference_xml.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fuzzsupport {

namespace {

std::filesystem::path lf_makeRamFolder()
{
    std::error_code ec;
    std::filesystem::path base("/dev/shm");
    if (!std::filesystem::is_directory(base, ec))
        base = std::filesystem::temp_directory_path();
    std::random_device random;
    auto folder = base / ("skyweaver-fuzz-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(folder);
    return folder;
}

void lf_removeRamFolder()
{
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
    std::filesystem::remove_all(ramFolder(), ec);
}

} // namespace

const std::filesystem::path& ramFolder()
{
    static const std::filesystem::path folder = [] {
        auto made = lf_makeRamFolder();
        std::filesystem::current_path(made);
        setenv("SKYWEAVER_STANDIN_ROOT", made.c_str(), 1);
        std::atexit(lf_removeRamFolder);
        return made;
    }();
    return folder;
}

std::filesystem::path writeInput(const std::filesystem::path& relative, std::string_view input)
{
    const auto path = ramFolder() / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(input.data(), static_cast<std::streamsize>(input.size()));
    return path;
}

void clearRamFolder()
{
    for (const auto& entry : std::filesystem::directory_iterator(ramFolder()))
        std::filesystem::remove_all(entry.path());
}

void initProgram()
{
    ramFolder();
    gf_initSodium();
}

void initProgramWithReferenceData()
{
    initProgram();
    testsupport::writeSmallReferenceData(ramFolder());
    if (!gf_readDbase() || !gf_readAirports())
        throw std::runtime_error("the reference fixtures did not load");
    clearRamFolder();
}

} // namespace fuzzsupport
