#!/usr/bin/env python3
"""Times Python's configparser reading one INI file, for bench_peers.

Usage: configparser_read.py PATH ENCODING RUNS
Prints the best wall time and the best CPU time (process_time) of RUNS reads in
milliseconds, and the key count. Reading is
open, decode and parse into a ConfigParser (strict=False so repeated names do not stop
it, interpolation=None so values are taken as they are).
"""
import configparser
import sys
import time


def read_once(path, encoding):
    parser = configparser.ConfigParser(strict=False, interpolation=None)
    start = time.perf_counter()
    cpu_start = time.process_time()
    parser.read(path, encoding=encoding)
    cpu = time.process_time() - cpu_start
    elapsed = time.perf_counter() - start
    keys = sum(len(parser[name]) for name in parser.sections())
    return elapsed, cpu, keys


def main():
    path, encoding, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
    best = best_cpu = None
    keys = 0
    for _ in range(runs):
        elapsed, cpu, keys = read_once(path, encoding)
        best = elapsed if best is None else min(best, elapsed)
        best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
    print(f"{best * 1000.0:.1f} {best_cpu * 1000.0:.1f} {keys}")


if __name__ == "__main__":
    main()
