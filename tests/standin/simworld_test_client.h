// A minimal SimConnect client for the simulated simulator's tests: opens a
// connection and keeps a copy of every record a dispatch delivers.
#pragma once

#include "platform/standin/simworld.h"

#include <cstring>
#include <string>
#include <vector>

namespace simworldtest {

struct Received {
    std::vector<std::uint8_t> bytes;

    DWORD id() const { return field<DWORD>(8); }
    template <typename T>
    T field(std::size_t offset) const
    {
        T value{};
        std::memcpy(&value, bytes.data() + offset, sizeof(T));
        return value;
    }
    template <typename Record>
    Record as() const
    {
        Record record{};
        std::memcpy(&record, bytes.data(), std::min(sizeof(Record), bytes.size()));
        return record;
    }
    // Data block of a SIMOBJECT_DATA record.
    template <typename T>
    T data(std::size_t offset) const
    {
        return field<T>(40 + offset);
    }
    std::string dataText(std::size_t offset) const
    {
        return std::string(reinterpret_cast<const char*>(bytes.data() + 40 + offset));
    }
};

class TestClient {
public:
    HANDLE handle = nullptr;

    HRESULT open() { return SimConnect_Open(&handle, "Skyweaver", nullptr, 0, nullptr, 0); }

    std::vector<Received> dispatch()
    {
        m_received.clear();
        SimConnect_CallDispatch(handle, &TestClient::onRecord, this);
        return m_received;
    }

    std::vector<Received> dispatchOf(DWORD recordId)
    {
        std::vector<Received> matching;
        for (auto& record : dispatch()) {
            if (record.id() == recordId) {
                matching.push_back(std::move(record));
            }
        }
        return matching;
    }

private:
    static void onRecord(SIMCONNECT_RECV* record, DWORD size, void* context)
    {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(record);
        static_cast<TestClient*>(context)->m_received.push_back({std::vector<std::uint8_t>(bytes, bytes + size)});
    }

    std::vector<Received> m_received;
};

// The world in a known state: stepped clock, one installed title, flat terrain at 400 ft.
inline standin::SimWorldConfig steppedWorld(int simulatorYear = 2020)
{
    auto config = standin::SimWorldConfig::forSimulator(simulatorYear);
    config.clock = standin::SimClock::Stepped;
    config.installedTitles = {"Airbus A320 Skyweaver Air"};
    config.terrainElevationFt = 400.0;
    config.staticCgFt = 7.0;
    config.user.latitude = 47.0;
    config.user.longitude = 8.0;
    return config;
}

} // namespace simworldtest
