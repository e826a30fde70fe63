// The registration table's open-addressed index over its entries.
#include "refdata/registration_table.h"

#include <functional>

namespace {

constexpr std::size_t kSmallestIndex = 16;

std::size_t lf_hash(std::string_view registration)
{
    return std::hash<std::string_view>{}(registration);
}

std::uint32_t lf_tag(std::size_t hash)
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32);
}

std::uint64_t lf_slot(std::size_t hash, std::size_t entry)
{
    return (static_cast<std::uint64_t>(lf_tag(hash)) << 32) | static_cast<std::uint32_t>(entry + 1);
}

std::size_t lf_entryOf(std::uint64_t slot)
{
    return static_cast<std::uint32_t>(slot) - 1u;
}

} // namespace

void RegistrationTable::reserve(std::size_t count)
{
    m_entries.reserve(count);
    if (count * 2 > m_slots.size()) {
        growIndex(count);
    }
}

// The slot that holds the registration, or the free slot where it belongs. The index is at
// most half full, so a free slot is always found.
std::size_t RegistrationTable::findSlot(std::string_view registration, std::size_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    const std::uint32_t tag = lf_tag(hash);
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot slot = m_slots[i];
        if (slot == 0) {
            return i;
        }
        if (static_cast<std::uint32_t>(slot >> 32) == tag && m_entries[lf_entryOf(slot)].first == registration) {
            return i;
        }
    }
}

// An index of at least twice `count` slots, filled again from the entries.
void RegistrationTable::growIndex(std::size_t count)
{
    std::size_t size = kSmallestIndex;
    while (size < count * 2) {
        size *= 2;
    }
    m_slots.assign(size, 0);
    for (std::size_t entry = 0; entry < m_entries.size(); ++entry) {
        const std::size_t hash = lf_hash(m_entries[entry].first);
        m_slots[findSlot(m_entries[entry].first, hash)] = lf_slot(hash, entry);
    }
}

bool RegistrationTable::insert(std::string_view registration, RegistrationData data)
{
    if ((m_entries.size() + 1) * 2 > m_slots.size()) {
        growIndex((m_entries.size() + 1) * 2);
    }
    const std::size_t hash = lf_hash(registration);
    const std::size_t i = findSlot(registration, hash);
    if (m_slots[i] != 0) {
        return false;
    }
    m_slots[i] = lf_slot(hash, m_entries.size());
    m_entries.emplace_back(std::string(registration), std::move(data));
    return true;
}

const RegistrationData* RegistrationTable::find(std::string_view registration) const
{
    if (m_slots.empty()) {
        return nullptr;
    }
    const Slot slot = m_slots[findSlot(registration, lf_hash(registration))];
    return slot == 0 ? nullptr : &m_entries[lf_entryOf(slot)].second;
}

RegistrationData& RegistrationTable::operator[](std::string_view registration)
{
    insert(registration, RegistrationData{});
    return m_entries[lf_entryOf(m_slots[findSlot(registration, lf_hash(registration))])].second;
}

void RegistrationTable::clear()
{
    m_entries = {};
    m_slots = {};
}
