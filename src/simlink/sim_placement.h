// Where an object is and how it lies: the fields that lead both the AI position block
// and the user aircraft's data block, in the order the simulator sends them.
#pragma once

struct SimPlacement {
    double latitude = 0;  // degrees
    double longitude = 0; // degrees
    double pitch = 0;     // radians
    double bank = 0;      // radians
    double heading = 0;   // radians, true
    double altitude = 0;  // feet
};
