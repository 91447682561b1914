#!/usr/bin/env python3
"""Compares two coverage reports (gcovr --json, as scripts/coverage.sh writes
them): per file, the lines and branches covered in BEFORE that AFTER leaves
uncovered, and both totals. Exit status 1 when anything was lost.
Usage: coverage-compare.py BEFORE.json AFTER.json"""
import json
import sys


def covered(path):
    """{file: (covered lines, covered branches, all lines, all branches)}"""
    out = {}
    for f in json.load(open(path))["files"]:
        lines, branches, all_lines, all_branches = set(), set(), set(), set()
        for line in f["lines"]:
            if line.get("gcovr/noncode"):
                continue
            n = line["line_number"]
            all_lines.add(n)
            if line["count"] > 0:
                lines.add(n)
            for i, b in enumerate(line.get("branches", [])):
                all_branches.add((n, i))
                if b["count"] > 0:
                    branches.add((n, i))
        old = out.get(f["file"])
        if old:  # the same source in several objects: covered in any
            lines |= old[0]
            branches |= old[1]
            all_lines |= old[2]
            all_branches |= old[3]
        out[f["file"]] = (lines, branches, all_lines, all_branches)
    return out


def totals(report):
    sums = [sum(len(v[i]) for v in report.values()) for i in range(4)]
    return "lines %d/%d (%.1f%%), branches %d/%d (%.1f%%)" % (
        sums[0], sums[2], 100.0 * sums[0] / max(sums[2], 1), sums[1], sums[3], 100.0 * sums[1] / max(sums[3], 1))


def main():
    before, after = covered(sys.argv[1]), covered(sys.argv[2])
    print("before:", totals(before))
    print("after: ", totals(after))
    lost = 0
    for name in sorted(before):
        now = after.get(name, (set(), set(), set(), set()))
        lines = sorted(before[name][0] - now[0])
        branches = sorted(before[name][1] - now[1])
        gained = len(now[0] - before[name][0]), len(now[1] - before[name][1])
        if lines or branches:
            lost += 1
            print("%s: lost lines %s; lost branches %s" % (name, lines, ["%d#%d" % b for b in branches]))
        elif gained != (0, 0):
            print("%s: gained %d lines, %d branches" % ((name,) + gained))
    print("files with a loss: %d" % lost)
    return 1 if lost else 0


if __name__ == "__main__":
    sys.exit(main())
