#!/usr/bin/env python3
"""Turns gcovr's per-file JSON summary into a Markdown table of line and branch coverage per folder of
src/ (one row a subsystem, one row for the whole), preceded by the test counts of the ctest log."""
import json
import re
import sys
from collections import defaultdict


def main(summary_path, log_path):
    with open(summary_path) as f:
        summary = json.load(f)
    totals = defaultdict(lambda: [0, 0, 0, 0])  # lines covered, lines, branches covered, branches
    for entry in summary["files"]:
        parts = entry["filename"].split("/")
        if len(parts) < 3 or parts[0] != "src":
            continue
        for key in (parts[1], "all of src/"):
            row = totals[key]
            row[0] += entry["line_covered"]
            row[1] += entry["line_total"]
            row[2] += entry["branch_covered"]
            row[3] += entry["branch_total"]

    with open(log_path, errors="replace") as f:
        log = f.read()
    ran = re.search(r"tests passed, (\d+) tests failed out of (\d+)", log)
    skipped = len(re.findall(r"\*\*\*Skipped|Not Run", log))
    if ran:
        print(f"Tests: {ran.group(2)} run, {ran.group(1)} failed, {skipped} skipped\n")

    print("| subsystem | lines | line coverage | branches | branch coverage |")
    print("|---|---:|---:|---:|---:|")
    names = sorted(k for k in totals if k != "all of src/") + ["all of src/"]
    for name in names:
        lc, lt, bc, bt = totals[name]
        line = 100.0 * lc / lt if lt else 0.0
        branch = 100.0 * bc / bt if bt else 0.0
        print(f"| {name} | {lt} | {line:.1f} % | {bt} | {branch:.1f} % |")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
