#!/usr/bin/env python3
"""Writes a well-formed station file of monthly mean, maximum and minimum
temperatures to standard output.

  make_station.py BLOCKS [--first YEAR] [--start-month M] [--seed S]

BLOCKS year blocks follow each other from YEAR on; past 2007 the years start
again at YEAR, so any number of blocks stays within the years a table holds.
The first block starts in month M; every later block starts in January.
"""
import argparse
import math
import random
import sys

NAMES = ["Jan", "Feb", "Mar", "Apr", "May", "Jun",
         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def field(value):
    return "%6.1f" % value


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("blocks", type=int)
    parser.add_argument("--first", type=int, default=1978)
    parser.add_argument("--start-month", type=int, default=1)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    out = []
    span = 2008 - args.first
    for block in range(args.blocks):
        year = args.first + block % span
        out.append("%4d\n" % year)
        first_month = args.start_month if block == 0 else 1
        for month in range(first_month, 13):
            # A valley station: mild summers, cold clear winters.
            season = math.cos((month - 7) / 12 * 2 * math.pi)
            mean = 11.5 + 8.5 * season + rng.uniform(-1.5, 1.5)
            spread = 6.0 + 3.0 * (1 - season) / 2 + rng.uniform(-1.0, 1.0)
            out.append(NAMES[month - 1] + " " + field(mean) + field(mean + spread)
                       + field(mean - spread) + "\n")
        if len(out) > 4096:
            sys.stdout.write("".join(out))
            out = []
    sys.stdout.write("".join(out))


if __name__ == "__main__":
    main()
