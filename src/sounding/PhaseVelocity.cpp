#include "sounding/PhaseVelocity.h"

#include "sounding/CKorvaneDoc.h"
#include "sounding/FixedDecimal.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace korvane {

void PhaseVelocity::ComputePhaseAngles(const float* real, const float* imag, float* phase) {
    for (int k = 0; k < kPhaseBins; ++k) {
        const double re = real[k];
        const double im = imag[k];
        double angle = 0.0;
        if (re > 0.0) {
            angle = std::atan(im / re);
        } else if (re == 0.0) {
            // im / 0 would give +-pi/2 shifted by pi. A bin with nothing in it has no angle:
            // a record without signal must give no velocity rather than a made-up one.
            angle = im > 0.0 ? kPi * 0.5
                             : (im < 0.0 ? -kPi * 0.5 : std::numeric_limits<double>::quiet_NaN());
        } else {
            angle = std::atan(im / re) + (im > 0.0 ? kPi : -kPi);
        }
        phase[k] = static_cast<float>(angle);
    }
}

std::string PhaseVelocity::ComputeIntervalVelocities(CKorvaneDoc& doc) {
    const int records = doc.recordCount;
    const int intervals = records > 1 ? records - 1 : 0;
    doc.phaseVelocities.assign(static_cast<std::size_t>(intervals), 0.0f);
    std::string text;
    const float l2 = doc.hammerToRod * doc.hammerToRod;
    for (int i = 0; i < intervals; ++i) {
        const auto upper = static_cast<std::size_t>(i);
        const auto lower = upper + 1;
        text += "depth ";
        FixedDecimal::AppendFloat(text, doc.depths[lower]);
        text += "  i=  ";
        FixedDecimal::AppendInt(text, i);
        text += "   FileCount=";
        FixedDecimal::AppendInt(text, records);
        text += '\n';

        double sf = 0.0;
        double sd = 0.0;
        double sfd = 0.0;
        double sff = 0.0;
        for (int k = kFirstBandBin; k <= kLastBandBin; ++k) {
            const double f = k * kBinWidth;
            sf += f;
            const float p1 = doc.phaseSpectra[lower][static_cast<std::size_t>(k)];
            const float p0 = doc.phaseSpectra[upper][static_cast<std::size_t>(k)];
            const float d = p1 < p0 ? static_cast<float>((p1 + kTwoPi) - p0) : p1 - p0;
            FixedDecimal::AppendInt(text, k);
            text += "   ";
            FixedDecimal::AppendFloat(text, d);
            text += '\n';
            sd += d;
            sfd += static_cast<double>(d) * k * kBinWidth;
            sff += f * f;
        }
        const double slope = (sfd - sd * sf * 0.125) / (sff - sf * sf * 0.125);
        const double z0 = doc.depths[upper];
        const double z1 = doc.depths[lower];
        const double r1 = std::sqrt(z0 * z0 + l2);
        const double r2 = std::sqrt(z1 * z1 + l2);
        const double dt = slope * 0.5 * kInversePi;
        const auto velocity = static_cast<float>((r2 - r1) / dt);
        doc.phaseVelocities[upper] = velocity;
        text += "Velocity = ";
        FixedDecimal::AppendFloat(text, velocity);
        text += "\n\n";
    }
    return text;
}

} // namespace korvane
