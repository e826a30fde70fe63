#include "engine/category_tables.h"

#include <array>
#include <numbers>
#include <stdexcept>

namespace {

constexpr double lf_rad(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// Rows in the order Light, Buzjets, Large, Heavy, HighPerf, Rotorcraft; angles given in degrees.
constexpr std::array<CategoryRow, kCategoryCount> kRows = {{
    {90, lf_rad(40), lf_rad(0.035), lf_rad(0.01), lf_rad(0.15), lf_rad(-9.0), lf_rad(-15.0), 250, 250, 100, 200, 0.5,
     5.0},
    {110, lf_rad(35), lf_rad(0.0275), lf_rad(0.0085), lf_rad(0.1), lf_rad(-8.0), lf_rad(-18.0), 300, 300, 200, 250,
     0.75, 4.5},
    {140, lf_rad(30), lf_rad(0.02), lf_rad(0.0075), lf_rad(0.07), lf_rad(-6.0), lf_rad(-16.5), 400, 350, 200, 300, 0.6,
     4.0},
    {150, lf_rad(20), lf_rad(0.015), lf_rad(0.005), lf_rad(0.05), lf_rad(-5.0), lf_rad(-12.5), 450, 450, 250, 400, 0.5,
     3.0},
    {220, lf_rad(90), lf_rad(0.1), lf_rad(0.03), lf_rad(0.1), lf_rad(-6.0), lf_rad(-20.0), 150, 150, 100, 200, 1.0,
     4.5},
    {0, lf_rad(75), lf_rad(0.06), lf_rad(0.03), lf_rad(0.2), lf_rad(-20.0), lf_rad(-30.0), 100, 100, 100, 100, 0.75,
     5.0},
}};

} // namespace

const CategoryRow& gf_categoryRow(Category category)
{
    const auto index = static_cast<std::uint32_t>(category);
    if (index >= kRows.size()) {
        throw std::out_of_range("invalid unordered_map<K, T> key");
    }
    return kRows[index];
}
