#!/usr/bin/env python3
"""Runs commands several times, in turns; prints for each the median wall time
in seconds, the input rate in MB/s and the peak resident memory in KB, one
line per command in the order given.

    measure.py RUNS BYTES OUTPUT COMMAND... [::: OUTPUT COMMAND...]...

Each command's standard output goes to its OUTPUT. The commands take turns
(one run of each, then again), so that a machine that slows down for a while
slows all of them alike. Timed from spawn to exit. The peak memory comes from
one more run under GNU time: a child of this process would count the
interpreter's own memory, which it holds until exec. With MEASURE_CPU=1 in
the environment, a fourth figure: the median CPU time (user and system, every
thread) in seconds.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def run_once(command, output):
    with open(output, "wb") as out, open(os.devnull, "wb") as err:
        start = time.perf_counter()
        pid = os.posix_spawnp(command[0], command, os.environ,
                              file_actions=[(os.POSIX_SPAWN_DUP2, out.fileno(), 1),
                                            (os.POSIX_SPAWN_DUP2, err.fileno(), 2)])
        _, _, usage = os.wait4(pid, 0)
        return time.perf_counter() - start, usage.ru_utime + usage.ru_stime


def peak_kilobytes(command):
    gnu_time = shutil.which("time", path="/usr/bin:/bin")
    if not gnu_time:
        return "n/a"
    with tempfile.NamedTemporaryFile("r") as report:
        subprocess.run([gnu_time, "-f", "%M", "-o", report.name] + command,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return report.read().split()[-1]


def main():
    runs, input_bytes = int(sys.argv[1]), int(sys.argv[2])
    groups, group = [], []
    for word in sys.argv[3:] + [":::"]:
        if word == ":::":
            groups.append((group[0], group[1:]))
            group = []
        else:
            group.append(word)
    times = [[] for _ in groups]
    cpu = [[] for _ in groups]
    for _ in range(runs):
        for i, (output, command) in enumerate(groups):
            wall, used = run_once(command, output)
            times[i].append(wall)
            cpu[i].append(used)
    for i, (output, command) in enumerate(groups):
        median = statistics.median(times[i])
        line = "%9.3f  %9.0f  %10s" % (median, input_bytes / median / 1e6, peak_kilobytes(command))
        if os.environ.get("MEASURE_CPU") == "1":
            line += "  %9.3f" % statistics.median(cpu[i])
        print(line)


main()
