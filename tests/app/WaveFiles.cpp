#include "WaveFiles.h"

#include <QFile>
#include <QTextStream>

#include <cmath>
#include <numbers>

namespace korvane {

WaveFiles::WaveFiles(const std::vector<double>& tipDepths, int samples) {
    int index = 0;
    for (double depth : tipDepths) {
        const QString path = dir_.filePath(QString("wave%1.txt").arg(index++));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            continue;
        QTextStream out(&file);
        out << "SCPT record\n";
        out << "Depth: " << QString::number(depth, 'f', 2) << " m\n";
        for (int line = 3; line <= 7; ++line)
            out << "header line " << line << "\n";
        // A 100 Hz pulse arriving 5 ms per metre of depth after the start.
        const double arrival = 0.010 + 0.005 * depth;
        for (int i = 0; i < samples; ++i) {
            const double t = i * 0.000025;
            const double dt = t - arrival;
            const double value =
                dt < 0 ? 0.0 : std::exp(-dt * 150.0) * std::sin(2 * std::numbers::pi * 100 * dt);
            out << QString::number(t * 1000.0, 'f', 3) << "\t" << QString::number(value, 'f', 6)
                << "\n";
        }
        paths_.append(path);
    }
}

QString WaveFiles::WriteDefective(const QString& name) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text))
        file.write("SCPT record\nno depth here\n");
    return path;
}

} // namespace korvane
