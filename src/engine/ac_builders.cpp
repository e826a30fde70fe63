#include "engine/ac_builders.h"

#include "core/random_choice.h"
#include "engine/category_tables.h"
#include "refdata/aircraft_db.h"

AircraftData gf_makeAcData(const AcIdent& ident)
{
    AircraftData data;
    static_cast<AcIdent&>(data) = ident;
    data.halfSpan = gf_wingspan(ident.type);
    data.category = gf_aircraftSizeClass(ident.type);
    const CategoryRow& row = gf_categoryRow(data.category);
    data.ticksA = row.ticksA;
    data.ticksB = row.ticksB;
    data.ticksC = row.ticksC;
    data.ticksD = row.ticksD;
    data.rotationPitch = gf_randomizePercent(row.rotationPitchRad, 2.5);
    data.climbPitch = gf_randomizePercent(row.climbPitchRad, 5.0);
    data.turnRateBase = row.groundTurnRateRad;
    return data;
}

LiveAc lf_makeLiveAc(const AircraftData& data, const PosSample& first, double time)
{
    LiveAc ac;
    static_cast<AircraftData&>(ac) = data;
    ac.stream.push_back(first);
    ac.lastSampleTime = time;
    return ac;
}

StaticAc gf_makeStaticAc(const AircraftData& data)
{
    StaticAc ac;
    static_cast<AircraftData&>(ac) = data;
    return ac;
}
