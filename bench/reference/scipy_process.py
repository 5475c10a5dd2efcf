#!/usr/bin/python3
"""The job of `korvane-cli process --windows FILE FOLDER`, written as a NumPy/SciPy user would:
read the wave files, band-filter each record with the same fixed bins, order the records by
depth and correlate the windowed filtered waves of successive depths with
scipy.signal.correlate; print the velocity table. The reference of tools/speed-compare.sh.

usage: scipy_process.py WINDOWS_FILE FOLDER
"""
import os
import sys

import numpy as np
from scipy import signal

SAMPLES = 8192
SECONDS_PER_SAMPLE = 25e-6
GEOPHONE_TO_TIP = 0.18
HAMMER_TO_ROD = 1.22
ATTENUATION = 11.4173


def read_wave(path):
    with open(path) as f:
        header = [next(f) for _ in range(7)]
        values = np.loadtxt(f, usecols=1, max_rows=SAMPLES)
    depth = float(header[1].split()[1]) - GEOPHONE_TO_TIP
    wave = np.full(SAMPLES, values.mean())
    wave[: len(values)] = values
    return depth, wave


def band_filter(wave):
    spectrum = np.fft.fft(wave)
    n = SAMPLES
    spectrum[0:3] = 0
    spectrum[n - 2 :] = 0
    spectrum[40:205] /= ATTENUATION
    spectrum[n - 204 : n - 39] /= ATTENUATION
    spectrum[205 : n // 2] = 0
    spectrum[n // 2 + 1 : n - 204] = 0
    filtered = np.fft.ifft(spectrum).real
    return filtered / np.abs(filtered).max()


def lag_and_peak(a, b):
    a = a - a.mean()
    b = b - b.mean()
    c = signal.correlate(b, a, mode="full") / np.sqrt(np.dot(a, a) * np.dot(b, b))
    lags = signal.correlation_lags(len(b), len(a), mode="full")
    best = int(np.argmax(c))
    return int(lags[best]), float(c[best])


def main():
    windows = [tuple(int(v) for v in line.split()) for line in open(sys.argv[1])
               if line.strip() and not line.startswith("#")]
    folder = sys.argv[2]
    records = sorted(read_wave(os.path.join(folder, name))
                     for name in sorted(os.listdir(folder)) if not name.startswith("."))
    depths = [depth for depth, _ in records]
    filtered = [band_filter(wave) for _, wave in records]
    print("Depth(m)      Velocity(m/s)   r2  ")
    for i in range(len(records) - 1):
        (f0, l0), (f1, l1) = windows[i], windows[i + 1]
        lag, r = lag_and_peak(filtered[i][f0 : l0 + 1], filtered[i + 1][f1 : l1 + 1])
        lag += f1 - f0
        path = np.hypot(depths[i + 1], HAMMER_TO_ROD) - np.hypot(depths[i], HAMMER_TO_ROD)
        velocity = path / (lag * SECONDS_PER_SAMPLE) if lag != 0 else float("nan")
        print("%f      %f     %f" % ((depths[i] + depths[i + 1]) / 2, velocity, r * r))


main()
