#!/usr/bin/env python3
"""Prints line and branch coverage per product folder from gcovr's JSON summary, and fails when
the product's line coverage is below the threshold (percent)."""
import json
import sys

FOLDERS = ["app", "fw", "portlib", "ports", "diag", "update", "ui"]


def percent(covered, total):
    return 100.0 * covered / total if total else 100.0


def main():
    summary_path, threshold = sys.argv[1], float(sys.argv[2])
    with open(summary_path, encoding="utf-8") as f:
        files = json.load(f)["files"]
    rows = {folder: [0, 0, 0, 0] for folder in FOLDERS}
    for entry in files:
        folder = entry["filename"].split("/", 1)[0]
        if folder in rows:
            row = rows[folder]
            row[0] += entry["line_covered"]
            row[1] += entry["line_total"]
            row[2] += entry["branch_covered"]
            row[3] += entry["branch_total"]
    total = [sum(row[i] for row in rows.values()) for i in range(4)]
    print(f"{'folder':<9}{'lines':>18}{'branches':>20}")
    for name, row in list(rows.items()) + [("product", total)]:
        print(f"{name:<9}{row[0]:>6}/{row[1]:<5}{percent(row[0], row[1]):6.1f}%"
              f"{row[2]:>7}/{row[3]:<5}{percent(row[2], row[3]):6.1f}%")
    lines = percent(total[0], total[1])
    print(f"product line coverage {lines:.1f}% (threshold {threshold:.1f}%)")
    if lines < threshold:
        print("line coverage fell below the threshold", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
