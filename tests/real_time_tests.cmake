# Tests that hold the program to wall-clock margins (start-up to the traffic wait, creation
# at the lead time, positions within a second's flight). The margins are for the program
# at full speed; under a sanitizer it runs several times slower, so scripts/sanitize.sh
# leaves out the label "real-time". The plain test run keeps them, each run alone so that
# the rest of a parallel test run cannot slow the program past its margins.
set_tests_properties(ProgramRun.ReachesTheTickLoopAndReportsMissingTraffic PROPERTIES LABELS "e2e;real-time" RUN_SERIAL TRUE)
set_tests_properties(LiveTrafficRoad.AircraftAreCreatedMovedAlongTheirSamplesAndRemoved PROPERTIES LABELS "e2e;real-time" RUN_SERIAL TRUE)
