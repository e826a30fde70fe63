// Stands for live aircraft: the free-stand and birth-stand searches, the drive onto a
// stand and the arrival there, occupancy, the cargo attribute, the parked commands and
// the static aircraft that makes way.
#pragma once

#include "core/geo.h"
#include "engine/aircraft_records.h"
#include "engine/proximity_rules.h"

#include <cstdint>
#include <string>
#include <vector>

struct Stand;
struct ParkOpt;

// Search radii of the stand searches.
inline constexpr double kNearStandNm = 0.010799136069114472;   // 20 m
inline constexpr double kWideStandNm = 0.029697624190064796;   // 55 m
inline constexpr double kLearnedStandNm = 0.0458963282937365;  // 85 m

// Whether the aircraft may stand on a stand distanceNm from where it is: helipads take only
// rotorcraft and rotorcraft only helipads; a stand too small for it only within 20 m, and
// then the stand grows to the aircraft's half span once it is taken.
enum class StandFit { No, Fits, Grows };
StandFit lf_standFit(const Stand& stand, const LiveAc& ac, double distanceNm);
// A too-small stand taken by the aircraft grows to its half span (a learned update).
void lf_growStandFor(Stand& stand, const LiveAc& ac);
// The free stand nearest to the position within radius (nm) that fits the aircraft; wide
// also takes, within 85 m, a stand whose learned uses match the aircraft. Null when none.
// Changes nothing: a too-small stand found within 20 m grows only when it is taken.
Stand* lf_findFreeStand(const LatLon& position, const LiveAc& ac, double radius, bool wide);

// The whole outcome of putting an aircraft on a stand, decided before anything changes.
struct StandOutcome {
    Stand* stand = nullptr;                // the stand it takes; null when none
    bool refused = false;                  // an aircraft there or next door must stay
    bool grows = false;                    // too small: grows to the aircraft's half span
    std::vector<StandRemoval> removals;    // live aircraft that leave for it, in order
};
// A newcomer first seen on the ground: the stand it is born on.
StandOutcome lf_birthOutcome(const LiveAc& ac);
// A stopping aircraft: the free stand near its newest sample that it drives onto.
StandOutcome lf_parkOutcome(const LiveAc& ac, bool wide);
// Carries out an outcome that takes a stand: the stand grows, the live aircraft leave with
// their lines, the static aircraft make way.
void lf_takeStandOutcome(const LiveAc& ac, const StandOutcome& outcome);
// A learned use of a stand that matches the aircraft by callsign, or by airline and type.
bool lf_parkOptMatchesAc(const ParkOpt& option, const LiveAc& ac);
// The stand of an aircraft first seen on the ground, or null when it gets none; a stand
// held by a conflicting aircraft sets the newcomer's remove flag.
Stand* lf_findBirthStand(LiveAc& ac);
// The user's reserved stand, or the stand the user aircraft stands on: live traffic keeps off.
bool lf_isUserStand(const Stand& stand);
// The aircraft holds the stand from its choice until it leaves; a stand it held before is
// freed. The stand becomes the aircraft's stand number.
void lf_holdStand(StaticAc& ac, Stand& stand);
// Frees the aircraft's stand when the aircraft holds it; a stand held by another stays held.
void lf_releaseStand(const StaticAc& ac);
// The aircraft leaves its stand for good: the stand is freed and the aircraft forgets it.
void gf_forgetStand(StaticAc& ac);
// The aircraft stands where its stand number says as far as the stand rules go: records
// being removed, withdrawn, or to be removed as soon as they are created are passed over; a
// respawning aircraft or a newborn waiting for its object stays the occupant.
bool gf_standsThereNow(const StaticAc& ac);
// The first aircraft of the list that stands on the stand now and passes the test; null
// when there is none.
template <class Ac, class Test>
Ac* gf_occupantOf(std::vector<Ac>& acs, std::int32_t standId, Test test)
{
    for (Ac& ac : acs) {
        if (ac.standId == standId && gf_standsThereNow(ac) && test(ac))
            return &ac;
    }
    return nullptr;
}
// The stand is held by an aircraft other than this one.
bool lf_heldByOther(const Stand& stand, const StaticAc& ac);
// The stand of the aircraft's stand number when it lies where the aircraft was going to park
// (within 85 m); null otherwise, also when the stands of another park airport were loaded
// since the aircraft chose its stand.
Stand* gf_ownStand(const StaticAc& ac);
// A parked aircraft that gave its stand up while its feed was silent holds it again; false
// when another aircraft took it meanwhile.
bool lf_reclaimStand(StaticAc& ac);
// A passenger aircraft on a stand marked cargo shows that the stand is not cargo only.
void lf_setStandCargo(LiveAc& ac);
// Throttle, flaps, engines and lights of an aircraft parked on its stand.
void lf_parkedCommands(StaticAc& ac);
// The stand's id text: "sid==0?" for number 0, "sid==?" for a number without a stand.
std::string gf_standName(std::int32_t standNumber);

// A stopping aircraft looks for a free stand near its newest sample (wider after landing)
// and drives onto it.
void try2Park(LiveAc& ac, bool wide);
// Appends the drive onto the aircraft's stand and the stop there to its stream.
void drive2Stand(LiveAc& ac);
// The stream of a parking aircraft ran dry: it parks when it stands on its stand.
void lf_arriveAtStand(LiveAc& ac);
// The static aircraft on the stand, and those on neighbour stands too close to it, leave
// for the live aircraft.
void lf_staticMakesWay(const LiveAc& ac, const Stand& stand);
