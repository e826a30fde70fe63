// What a livery scan tells the user: corrections from the aircraft database, the summary in
// the log and the report files.
#pragma once

// Takes airline, type and cargo flag of every scanned livery whose registration the aircraft
// database knows from the database, and records each change.
void lf_writeDbaseCorrections();
// The summary lines in the log, and a report file for every list that holds a line.
void lf_writeScanReport();
// Empties every report list, the scan's titles and the don't-use titles for the next scan.
void lf_resetScanResults();
