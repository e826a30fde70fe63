#!/usr/bin/env python3
"""Prints one table from the JSON results of the benchmark programs: each figure beside the
floor measured in the same run on the same data, their ratio and the goal."""
import json
import sys
from pathlib import Path

UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def load(folder):
    """Results by (program, benchmark name); a program whose file is missing or damaged has none."""
    runs = {}
    for path in sorted(Path(folder).glob("*.json")):
        try:
            data = json.loads(path.read_text())
        except (OSError, ValueError) as error:
            print(f"{path.name}: no results ({error})", file=sys.stderr)
            continue
        for run in data.get("benchmarks", []):
            runs[(path.stem, run["name"])] = run
    return runs


def rows(runs):
    def time_ms(program, name):
        run = runs.get((program, name))
        return run["real_time"] * UNIT_MS[run.get("time_unit", "ns")] if run else None

    def counter(program, name, key):
        run = runs.get((program, name))
        return run.get(key) if run else None

    decrypt = counter("aircraft_db_bench", "BM_readDbase/iterations:5", "decrypt_ms")
    parse = counter("aircraft_db_bench", "BM_readDbase/iterations:5", "bare_parse_ms")
    no_op = time_ms("sim_frame_bench", "BM_noOpCallsFloor")
    # Each scan against reading its files on all cores, and on a busy machine against one worker.
    for label, program, bench, busy_floor in (
            ("livery scan", "livery_scan_bench", "BM_liveryScan", "one-thread parse"),
            ("add-on airport scan", "addon_airport_scan_bench", "BM_addonAirportScan", "one worker")):
        for suffix, name, goal, floor_text in (
                ("", f"{bench}/real_time", "<= 1.5x", "walk + read of the same files on all cores"),
                (", machine busy", f"{bench}MachineBusy/iterations:5/real_time", "<= 1.0x",
                 f"{busy_floor}, same busy machine")):
            yield (label + suffix, "ms", time_ms(program, name), counter(program, name, "floor_ms"), goal,
                   floor_text)
    yield ("aircraft database load", "ms", counter("aircraft_db_bench", "BM_readDbase/iterations:5", "total_ms"),
           decrypt + parse if decrypt is not None and parse is not None else None, "<= 1.5x",
           "decrypt + bare parse")
    yield ("scanned liveries processing", "ms", time_ms("livery_processing_bench", "BM_processScannedLiveries"),
           time_ms("livery_processing_bench", "BM_bareParseFloor"), "<= 1.5x", "bare parse")
    yield ("park file read", "ms", time_ms("park_file_bench", "BM_readParkFile"),
           time_ms("park_file_bench", "BM_parseAndAttributeWalkFloor"), "<= 1.5x", "parse + attribute walk")
    yield ("park file write", "ms", time_ms("park_file_bench", "BM_writeLearnedParkFile"),
           time_ms("park_file_bench", "BM_buildAndSaveFloor"), "<= 1.5x", "document build + save")
    yield ("frame drain, queue mutex held", "us",
           counter("sim_frame_bench", "BM_frameDrain", "us_per_frame_and_mutex_hold"),
           no_op * 1e3 if no_op is not None else None, "< 163 us", "as many no-op calls")
    goals = {"median_us": "< 200 us", "p99_us": "", "max_us": "< 2000 us"}
    for count in (500, 2000):
        name = f"BM_FullSkyTick/{count}/iterations:10000"
        for key, goal in goals.items():
            yield (f"full-sky tick, {count} live, {key[:-3]}", "us", counter("full_sky_bench", name, key), None,
                   goal if count == 500 else "headroom", "")
    # The engine tick's parts, each within the full sky's budget; 2,000 airborne is headroom.
    # The tick on which a whole buffer comes due is a maximum of the full sky's run.
    both = ("median_us", "max_us")
    parts = (("buffered", "BM_EngineTick/{}/iterations:30000", (100, 500, 2000), both),
             ("due at once", "BM_EngineTickBufferDue/{}/iterations:10", (500, 2000), ("max_us",)),
             ("airborne", "BM_EngineTickAirborne/{}", (500, 2000), both))
    for what, name, counts, keys in parts:
        for count in counts:
            for key in keys:
                goal = "headroom" if what == "airborne" and count == 2000 else goals[key]
                yield (f"tick, {count} {what}, {key[:-3]}", "us",
                       counter("engine_tick_bench", name.format(count), key), None, goal, "")


def main(folder):
    print(f"{'figure':34} {'value':>13} {'floor':>13} {'ratio':>7}  {'goal':10} floor")
    for name, unit, value, floor, goal, floor_text in rows(load(folder)):
        value_text = f"{value:.3f} {unit}" if value is not None else "not run"
        floor_value = f"{floor:.3f} {unit}" if floor is not None else "-"
        ratio = f"{value / floor:.2f}x" if value is not None and floor else "-"
        print(f"{name:34} {value_text:>13} {floor_value:>13} {ratio:>7}  {goal:10} {floor_text}")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "build-release/bench-results")
