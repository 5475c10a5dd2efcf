#!/usr/bin/python3
"""The job of `korvane-cli autocorrelate --raw FOLDER` with NumPy's direct np.correlate: read
the wave files, order the records by depth, correlate each whole record with itself and write
the normalised curves as text in the same layout. The reference of tools/speed-compare.sh.

usage: numpy_autocorrelate.py FOLDER
"""
import os
import sys

import numpy as np

SAMPLES = 8192
GEOPHONE_TO_TIP = 0.18


def read_wave(path):
    with open(path) as f:
        header = [next(f) for _ in range(7)]
        values = np.loadtxt(f, usecols=1, max_rows=SAMPLES)
    depth = float(header[1].split()[1]) - GEOPHONE_TO_TIP
    wave = np.full(SAMPLES, values.mean())
    wave[: len(values)] = values
    return depth, wave


def main():
    folder = sys.argv[1]
    records = sorted(read_wave(os.path.join(folder, name))
                     for name in sorted(os.listdir(folder)) if not name.startswith("."))
    out = sys.stdout
    out.write("# raw autocorrelations of %d records\n" % len(records))
    shifts = np.arange(SAMPLES) * 0.025
    for k, (depth, wave) in enumerate(records, start=1):
        x = wave - wave.mean()
        curve = np.correlate(x, x, mode="full")[SAMPLES - 1 :] / np.dot(x, x)
        out.write("record %d depth %f first 0 last %d values %d\n"
                  % (k, depth, SAMPLES - 1, SAMPLES))
        np.savetxt(out, np.column_stack((shifts, curve)), fmt="%f  %f")
        out.write("\n")


main()
