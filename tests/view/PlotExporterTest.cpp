#include "view/PlotExporter.h"

#include "dsp/KorvaneError.h"
#include "sounding/CKorvaneDoc.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace korvane {
namespace {

CKorvaneDoc MakeDoc() {
    CKorvaneDoc doc;
    doc.recordCount = 3;
    doc.dataLoaded = 1;
    doc.displayMode = FilteredWaves;
    doc.depths = {1.5f, 3.0f, 4.5f};
    doc.windows = {{1000, 7000}, {2000, 5000}, {500, 8191}};
    for (int r = 0; r < 3; ++r) {
        std::vector<float> wave(doc.samplesPerRecord);
        for (std::size_t s = 0; s < wave.size(); ++s)
            wave[s] = 0.8f * static_cast<float>(std::sin(s * 0.004 * (r + 1)));
        doc.filteredWaves.push_back(wave);
    }
    return doc;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(PlotExporterTest, FormatFollowsTheExtension) {
    using Format = PlotExporter::Format;
    EXPECT_EQ(PlotExporter::FormatForPath("a/plot.PNG"), Format::Png);
    EXPECT_EQ(PlotExporter::FormatForPath("plot.svg"), Format::Svg);
    EXPECT_EQ(PlotExporter::FormatForPath("plot.Pdf"), Format::Pdf);
    EXPECT_EQ(PlotExporter::FormatForPath("plot.jpg"), std::nullopt);
    EXPECT_EQ(PlotExporter::FormatForPath("plot"), std::nullopt);
}

TEST(PlotExporterTest, PngShowsTheSameFrameAsTheScreen) {
    QTemporaryDir dir;
    const CKorvaneDoc doc = MakeDoc();
    const QString path = dir.filePath("plot.png");
    PlotExporter::ExportFile(doc, path, 800, 400);
    QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(800, 400));
    // 3 rows of height 2 from y 3 down: row 0's baseline at world 2, pixel 100. The start
    // marker (samples 950..1000) stays on top of the baseline that runs through it.
    auto pixelX = [](double s) { return static_cast<int>(std::lround((s * 12 / 8192 + 2) * 50)); };
    EXPECT_EQ(image.pixelColor(pixelX(975), 100), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(pixelX(7025), 100), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(pixelX(500), 100), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
}

TEST(PlotExporterTest, SvgAndPdfAreWritten) {
    QTemporaryDir dir;
    CKorvaneDoc doc = MakeDoc();
    doc.ccVelocities = {180.0f, 240.0f};
    doc.displayMode = CrossCorrelationVelocity;
    const QString svgPath = dir.filePath("plot.svg");
    PlotExporter::ExportFile(doc, svgPath, 1200, 800);
    const QByteArray svg = ReadAll(svgPath);
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("Vs (m/s)"));
    EXPECT_TRUE(svg.contains("Depth (m)"));

    const QString pdfPath = dir.filePath("plot.pdf");
    PlotExporter::ExportFile(doc, pdfPath, 1200, 800);
    const QByteArray pdf = ReadAll(pdfPath);
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_GT(pdf.size(), 1000);
}

TEST(PlotExporterTest, BadRequestsLeaveEarlierFilesAlone) {
    QTemporaryDir dir;
    const CKorvaneDoc doc = MakeDoc();
    const QString path = dir.filePath("plot.png");
    {
        QFile earlier(path);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }
    EXPECT_THROW(PlotExporter::ExportFile(doc, path, 0, 400), KorvaneError);
    EXPECT_THROW(PlotExporter::ExportFile(doc, path, 100000, 400), KorvaneError);
    EXPECT_EQ(ReadAll(path), QByteArray("earlier"));
    EXPECT_THROW(PlotExporter::ExportFile(doc, dir.filePath("plot.bmp"), 400, 300), KorvaneError);
    EXPECT_FALSE(QFile::exists(dir.filePath("plot.bmp")));
    try {
        PlotExporter::ExportFile(doc, dir.filePath("missing/plot.pdf"), 400, 300);
        FAIL() << "no error";
    } catch (const KorvaneError& error) {
        EXPECT_NE(std::string(error.what()).find("missing/plot.pdf"), std::string::npos);
    }
}

} // namespace
} // namespace korvane
