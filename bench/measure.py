#!/usr/bin/env python3
"""Runs a command several times; prints the median wall time in seconds, the
input rate in MB/s and the peak resident memory in KB.

    measure.py RUNS BYTES OUTPUT COMMAND...

The command's standard output goes to OUTPUT. Timed from spawn to exit. The
peak memory comes from one more run under GNU time: a child of this process
would count the interpreter's own memory, which it holds until exec.
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
        os.waitpid(pid, 0)
        return time.perf_counter() - start


def peak_kilobytes(command):
    gnu_time = shutil.which("time", path="/usr/bin:/bin")
    if not gnu_time:
        return "n/a"
    with tempfile.NamedTemporaryFile("r") as report:
        subprocess.run([gnu_time, "-f", "%M", "-o", report.name] + command,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return report.read().split()[-1]


def main():
    runs, input_bytes, output, command = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    median = statistics.median(run_once(command, output) for _ in range(runs))
    print("%9.3f  %9.0f  %10s" % (median, input_bytes / median / 1e6, peak_kilobytes(command)))


main()
