// What the SimClient thread's dispatch hands to the rest of the simulator link:
// the frame drain, identification, creation failures and the user aircraft's data.
#pragma once

#include "platform/simconnect.h"

#include <cstdint>
#include <optional>
#include <string>

// Bounded reads from the data block of a SIMOBJECT_DATA record: a field that
// does not lie wholly inside the received size reads as nothing.
class SimDataBlock {
public:
    SimDataBlock(const SIMCONNECT_RECV_SIMOBJECT_DATA* record, DWORD receivedSize);

    std::optional<double> float64(std::size_t offset) const;
    std::optional<std::int64_t> int64(std::size_t offset) const;
    // A fixed-width text field (STRING32 and the like), cut at its terminator.
    std::string fixedText(std::size_t offset, std::size_t width) const;
    // A variable-length text field (STRINGV), cut at its terminator or the block's end.
    std::string variableText(std::size_t offset) const;
    std::size_t size() const { return m_size; }
    const std::uint8_t* bytes() const { return m_bytes; }

private:
    const std::uint8_t* m_bytes = nullptr;
    std::size_t m_size = 0;
};

// Frame drain and identification (sim_frame.cpp).
void lf_onSimFrame();
// "ObjectAdded" for an aircraft object above the user's id.
void lf_onObjectAdded(std::uint32_t objectId);
void lf_onSimObjectDataByType(const SIMCONNECT_RECV_SIMOBJECT_DATA* record, DWORD size);
void lf_onCreateFailed(DWORD sendId);

// User aircraft replies, requests 106 to 109 (user_aircraft.cpp).
void lf_onUserAcReply(const SIMCONNECT_RECV_SIMOBJECT_DATA* record, DWORD size);

// The user aircraft's title and ATC model, its type and half span (user_aircraft_type.cpp).
void lf_onUserAcTitle(const std::string& title);
void lf_onUserAcModel(const std::string& model);
