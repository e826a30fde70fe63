// The simulated simulator's variables, their units, and the data blocks that
// carry them, laid out from the client's definitions as the simulator does.
#include "platform/standin/simworld_state.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>

namespace standin {

namespace {

enum class Unit { Degrees, Radians, Feet, FeetPerSecond, Plain };

struct Variable {
    const char* name;
    Unit natural;
    double (*number)(const SimWorld::State&, const SimObjectRecord&);
    std::string (*text)(const SimWorld::State&, const SimObjectRecord&);
    void (*set)(SimObjectRecord&, double);
};

using State = SimWorld::State;
using Obj = SimObjectRecord;

std::chrono::year_month_day lf_zuluDate(const State& state)
{
    const std::chrono::sys_seconds now{std::chrono::seconds(zuluSeconds(state))};
    return std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(now)};
}

double lf_dayOfYear(const State& state, const Obj&)
{
    const auto date = lf_zuluDate(state);
    const auto first = std::chrono::sys_days{date.year() / std::chrono::January / 1};
    return static_cast<double>((std::chrono::sys_days{date} - first).count() + 1);
}

const Variable kVariables[] = {
    {"PLANE LATITUDE", Unit::Degrees, [](const State&, const Obj& o) { return o.latitude; }, nullptr,
     [](Obj& o, double v) { o.latitude = v; }},
    {"PLANE LONGITUDE", Unit::Degrees, [](const State&, const Obj& o) { return o.longitude; }, nullptr,
     [](Obj& o, double v) { o.longitude = v; }},
    {"PLANE PITCH DEGREES", Unit::Radians, [](const State&, const Obj& o) { return o.pitchRad; }, nullptr,
     [](Obj& o, double v) { o.pitchRad = v; }},
    {"PLANE BANK DEGREES", Unit::Radians, [](const State&, const Obj& o) { return o.bankRad; }, nullptr,
     [](Obj& o, double v) { o.bankRad = v; }},
    {"PLANE HEADING DEGREES TRUE", Unit::Radians, [](const State&, const Obj& o) { return o.headingRad; },
     nullptr, [](Obj& o, double v) { o.headingRad = v; }},
    {"PLANE ALTITUDE", Unit::Feet, [](const State&, const Obj& o) { return o.altitudeFt; }, nullptr,
     [](Obj& o, double v) { o.altitudeFt = v; }},
    {"VERTICAL SPEED", Unit::FeetPerSecond, [](const State&, const Obj& o) { return o.verticalSpeedFps; },
     nullptr, [](Obj& o, double v) { o.verticalSpeedFps = v; }},
    {"AIRSPEED TRUE", Unit::Plain, [](const State&, const Obj& o) { return o.trueAirspeedKt; }, nullptr,
     [](Obj& o, double v) { o.trueAirspeedKt = v; }},
    {"GROUND VELOCITY", Unit::Plain, [](const State&, const Obj& o) { return o.groundSpeedKt; }, nullptr,
     nullptr},
    {"PLANE ALT ABOVE GROUND", Unit::Feet, [](const State& s, const Obj& o) { return heightAboveGround(s, o); },
     nullptr, nullptr},
    {"GROUND ALTITUDE", Unit::Feet, [](const State& s, const Obj&) { return s.config.terrainElevationFt; },
     nullptr, nullptr},
    {"SIM ON GROUND", Unit::Plain, [](const State& s, const Obj& o) { return objectOnGround(s, o) ? 1.0 : 0.0; },
     nullptr, nullptr},
    {"ZULU TIME", Unit::Plain,
     [](const State& s, const Obj&) { return static_cast<double>(((zuluSeconds(s) % 86400) + 86400) % 86400); },
     nullptr, nullptr},
    {"ZULU DAY OF YEAR", Unit::Plain, lf_dayOfYear, nullptr, nullptr},
    {"ZULU YEAR", Unit::Plain,
     [](const State& s, const Obj&) { return static_cast<double>(static_cast<int>(lf_zuluDate(s).year())); },
     nullptr, nullptr},
    {"LIGHT STATES", Unit::Plain, [](const State&, const Obj& o) { return static_cast<double>(o.lightStates); },
     nullptr, nullptr},
    {"LIGHT ON STATES", Unit::Plain, [](const State&, const Obj& o) { return static_cast<double>(o.lightStates); },
     nullptr, nullptr},
    {"STATIC CG TO GROUND", Unit::Feet, [](const State&, const Obj& o) { return o.staticCgFt; }, nullptr, nullptr},
    {"STATIC PITCH", Unit::Radians, [](const State&, const Obj& o) { return o.staticPitchRad; }, nullptr, nullptr},
    {"SPOILERS HANDLE POSITION", Unit::Plain, [](const State&, const Obj& o) { return o.spoilersPercent; },
     nullptr, [](Obj& o, double v) { o.spoilersPercent = v; }},
    {"GENERAL ENG THROTTLE LEVER POSITION:1", Unit::Plain,
     [](const State&, const Obj& o) { return o.throttle1Percent; }, nullptr,
     [](Obj& o, double v) { o.throttle1Percent = v; }},
    {"GENERAL ENG THROTTLE LEVER POSITION:2", Unit::Plain,
     [](const State&, const Obj& o) { return o.throttle2Percent; }, nullptr,
     [](Obj& o, double v) { o.throttle2Percent = v; }},
    {"TITLE", Unit::Plain, nullptr, [](const State&, const Obj& o) { return o.title; }, nullptr},
    {"ATC ID", Unit::Plain, nullptr, [](const State&, const Obj& o) { return o.tailNumber; }, nullptr},
    {"ATC MODEL", Unit::Plain, nullptr,
     [](const State& s, const Obj& o) { return o.isUser ? s.config.user.atcModel : std::string(); }, nullptr},
};

const Variable* lf_variable(const std::string& name)
{
    for (const auto& variable : kVariables) {
        if (sameNoCase(variable.name, name)) {
            return &variable;
        }
    }
    return nullptr;
}

bool lf_unitIs(const std::string& unit, const char* prefix)
{
    return strncasecmp(unit.c_str(), prefix, std::strlen(prefix)) == 0;
}

// Factor from the variable's own unit to the unit the client asked for.
double lf_unitFactor(Unit natural, const std::string& unit)
{
    constexpr double degPerRad = 180.0 / std::numbers::pi;
    if (natural == Unit::Radians && lf_unitIs(unit, "degree")) {
        return degPerRad;
    }
    if (natural == Unit::Degrees && lf_unitIs(unit, "radian")) {
        return 1.0 / degPerRad;
    }
    if (natural == Unit::Feet && (lf_unitIs(unit, "meter") || lf_unitIs(unit, "metre"))) {
        return 0.3048;
    }
    if (natural == Unit::FeetPerSecond && lf_unitIs(unit, "feet per minute")) {
        return 60.0;
    }
    return 1.0;
}

bool lf_isText(SIMCONNECT_DATATYPE type)
{
    return type >= SIMCONNECT_DATATYPE_STRING8 && type <= SIMCONNECT_DATATYPE_STRINGV;
}

// The datum's variable; every datum of a definition was resolved when it joined it.
const Variable* lf_datumVariable(const DatumSpec& datum)
{
    return datum.variable >= 0 ? &kVariables[datum.variable] : nullptr;
}

DatumValue lf_value(const State& state, const Obj& object, const DatumSpec& datum)
{
    const Variable* variable = lf_datumVariable(datum);
    if (variable == nullptr) {
        return 0.0;
    }
    if (variable->text != nullptr) {
        return variable->text(state, object);
    }
    return variable->number(state, object) * datum.unitFactor;
}

template <typename T>
void lf_append(std::vector<std::uint8_t>& block, T value)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&value);
    block.insert(block.end(), bytes, bytes + sizeof(T));
}

void lf_appendText(std::vector<std::uint8_t>& block, SIMCONNECT_DATATYPE type, const std::string& text)
{
    if (type == SIMCONNECT_DATATYPE_STRINGV) {
        block.insert(block.end(), text.begin(), text.end());
        block.push_back(0);
        while (block.size() % 4 != 0) {
            block.push_back(0);
        }
        return;
    }
    const std::size_t width = *datumSize(type);
    const std::size_t length = std::min(text.size(), width - 1);
    block.insert(block.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(length));
    block.insert(block.end(), width - length, 0);
}

void lf_appendNumber(std::vector<std::uint8_t>& block, SIMCONNECT_DATATYPE type, double value)
{
    switch (type) {
    case SIMCONNECT_DATATYPE_INT32: lf_append(block, static_cast<std::int32_t>(std::llround(value))); break;
    case SIMCONNECT_DATATYPE_INT64: lf_append(block, static_cast<std::int64_t>(std::llround(value))); break;
    case SIMCONNECT_DATATYPE_FLOAT32: lf_append(block, static_cast<float>(value)); break;
    default: lf_append(block, value); break;
    }
}

template <typename T>
double lf_read(const std::uint8_t* data)
{
    T value;
    std::memcpy(&value, data, sizeof(T));
    return static_cast<double>(value);
}

// Reads one number of the block; nullopt for text fields.
std::optional<double> lf_readNumber(SIMCONNECT_DATATYPE type, const std::uint8_t* data)
{
    switch (type) {
    case SIMCONNECT_DATATYPE_INT32: return lf_read<std::int32_t>(data);
    case SIMCONNECT_DATATYPE_INT64: return lf_read<std::int64_t>(data);
    case SIMCONNECT_DATATYPE_FLOAT32: return lf_read<float>(data);
    case SIMCONNECT_DATATYPE_FLOAT64: return lf_read<double>(data);
    default: return std::nullopt;
    }
}

// Width of one field in a block sent by the client; a variable string runs to
// its terminator, padded to four bytes.
std::optional<std::size_t> lf_fieldWidth(SIMCONNECT_DATATYPE type, const std::uint8_t* data, std::size_t left)
{
    if (type != SIMCONNECT_DATATYPE_STRINGV) {
        return datumSize(type);
    }
    const auto* end = static_cast<const std::uint8_t*>(std::memchr(data, 0, left));
    if (end == nullptr) {
        return std::nullopt;
    }
    return (static_cast<std::size_t>(end - data) + 1 + 3) / 4 * 4;
}

} // namespace

bool resolveDatum(DatumSpec& datum)
{
    const Variable* variable = lf_variable(datum.name);
    if (variable == nullptr) {
        return false;
    }
    datum.variable = static_cast<int>(variable - std::begin(kVariables));
    datum.unitFactor = lf_unitFactor(variable->natural, datum.unit);
    return true;
}

std::optional<DWORD> datumSize(SIMCONNECT_DATATYPE type)
{
    switch (type) {
    case SIMCONNECT_DATATYPE_INT32:
    case SIMCONNECT_DATATYPE_FLOAT32: return 4;
    case SIMCONNECT_DATATYPE_INT64:
    case SIMCONNECT_DATATYPE_FLOAT64:
    case SIMCONNECT_DATATYPE_STRING8: return 8;
    case SIMCONNECT_DATATYPE_STRING32: return 32;
    case SIMCONNECT_DATATYPE_STRING64: return 64;
    case SIMCONNECT_DATATYPE_STRING128: return 128;
    case SIMCONNECT_DATATYPE_STRING256: return 256;
    case SIMCONNECT_DATATYPE_STRING260: return 260;
    case SIMCONNECT_DATATYPE_STRINGV: return 0;
    default: return std::nullopt;
    }
}

DWORD blockSize(const std::vector<DatumSpec>& definition)
{
    DWORD size = 0;
    for (const auto& datum : definition) {
        size += datumSize(datum.type).value_or(0);
    }
    return size;
}

std::vector<std::uint8_t> buildBlock(const State& state, const Obj& object, const std::vector<DatumSpec>& definition)
{
    std::vector<std::uint8_t> block;
    for (const auto& datum : definition) {
        const DatumValue value = lf_value(state, object, datum);
        if (lf_isText(datum.type)) {
            const auto* text = std::get_if<std::string>(&value);
            lf_appendText(block, datum.type, text != nullptr ? *text : std::string());
        } else {
            const auto* number = std::get_if<double>(&value);
            lf_appendNumber(block, datum.type, number != nullptr ? *number : 0.0);
        }
    }
    return block;
}

void queueObjectData(State& state, const RequestRecord& request, const Obj& object, DWORD entry, DWORD outOf)
{
    const auto& definition = state.definitions[request.defineId];
    const std::vector<std::uint8_t> block = buildBlock(state, object, definition);
    // The block takes the place of the record's last field, dwData.
    const std::size_t header = sizeof(SIMCONNECT_RECV_SIMOBJECT_DATA) - sizeof(DWORD);
    std::vector<std::uint8_t> record(header + std::max<std::size_t>(block.size(), sizeof(DWORD)), 0);
    SIMCONNECT_RECV_SIMOBJECT_DATA head{};
    head.dwSize = static_cast<DWORD>(header + block.size());
    head.dwVersion = 4;
    head.dwID = request.byType ? SIMCONNECT_RECV_ID_SIMOBJECT_DATA_BYTYPE : SIMCONNECT_RECV_ID_SIMOBJECT_DATA;
    head.dwRequestID = request.requestId;
    head.dwObjectID = object.id;
    head.dwDefineID = request.defineId;
    head.dwFlags = 0;
    head.dwentrynumber = entry;
    head.dwoutof = outOf;
    head.dwDefineCount = static_cast<DWORD>(definition.size());
    std::memcpy(record.data(), &head, header);
    std::memcpy(record.data() + header, block.data(), block.size());
    queueMessage(state, record.data(), header + block.size());
}

bool applyBlock(State& state, Obj& object, DWORD defineId, const std::uint8_t* data, std::size_t size)
{
    const auto& definition = state.definitions[defineId];
    std::vector<double> values;
    bool position = false;
    std::size_t offset = 0;
    for (const auto& datum : definition) {
        const auto width = lf_fieldWidth(datum.type, data + offset, size - offset);
        if (!width || offset + *width > size) {
            return false;
        }
        const auto number = lf_readNumber(datum.type, data + offset);
        offset += *width;
        const Variable* variable = lf_datumVariable(datum);
        if (!number || variable == nullptr || variable->set == nullptr) {
            continue;
        }
        variable->set(object, *number / datum.unitFactor);
        position = position || variable == &kVariables[0]; // "PLANE LATITUDE"
        if (state.recording) {
            values.push_back(*number);
        }
    }
    if (!state.recording) {
        return true;
    }
    if (position) {
        object.positions.push_back({state.frame, object.latitude, object.longitude, object.altitudeFt,
                                    object.pitchRad, object.bankRad, object.headingRad, object.verticalSpeedFps,
                                    object.trueAirspeedKt});
    } else {
        object.dataSets.push_back({state.frame, defineId, std::move(values)});
    }
    return true;
}

} // namespace standin
