// The aircraft database's registration table: a hash map registration -> RegistrationData
// for hundreds of thousands of rows, with its entries in one vector in insertion order and an
// open-addressed index of entry numbers, so that a load writes memory in order and an insert
// or lookup touches one index slot instead of walking linked nodes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct RegistrationData {
    std::string airline;       // ICAO airline code
    std::string type;          // ICAO type code
    std::string operatorCode;  // operator airline code
    bool cargo = false;
};

class RegistrationTable {
public:
    // Room for this many registrations without growing.
    void reserve(std::size_t count);
    // Adds the registration unless it is a key already (the first record stays); true when
    // added.
    bool insert(std::string_view registration, RegistrationData data);
    // The record of the registration, or null. Valid until the next insert or clear.
    const RegistrationData* find(std::string_view registration) const;
    // The record of the registration, added empty when missing.
    RegistrationData& operator[](std::string_view registration);
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    // Empties the table and gives its memory back.
    void clear();

private:
    // A slot holds the entry's number + 1 (0: free) and the upper half of its key's hash, so
    // that most probes that do not match are told apart without reading the entry.
    using Slot = std::uint64_t;

    std::size_t findSlot(std::string_view registration, std::size_t hash) const;
    void growIndex(std::size_t count);

    std::vector<std::pair<std::string, RegistrationData>> m_entries;
    std::vector<Slot> m_slots;
};
