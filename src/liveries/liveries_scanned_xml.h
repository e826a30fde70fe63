// "LiveriesScanned.xml": the livery scan's result, read back at every start-up.
#pragma once

// Writes g_scannedLiveries to the file (nothing when the list is empty). A failed save is
// logged and returns false; the previous file, if any, is left as it was.
bool lf_writeLiveriesScannedXml();
// Empties g_scannedLiveries and refills it, sorted, from the file. Throws
// vtx::UserErrorException 51, 52, 533 or 999 on a missing or faulty file.
void lf_readLiveriesScannedXml();
// Removes the previous scan's result and error reports before a new scan. The result itself
// stays when a new one is to replace it (a failed save then leaves it in place).
void lf_removeLiveriesScannedXml(bool withResult = true);
