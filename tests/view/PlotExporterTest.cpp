// Plot export to PNG, SVG and PDF files.
#include "view/PlotExporter.h"

#include "LiveViewFixture.h"
#include "dsp/KorvaneError.h"

#include <QFile>
#include <QTemporaryDir>

namespace korvane {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(PlotExporterTest, FormatFollowsTheExtensionAndSvgKeepsTheTexts) {
    using Format = PlotExporter::Format;
    EXPECT_EQ(PlotExporter::FormatForPath("a/plot.PNG"), Format::Png);
    EXPECT_EQ(PlotExporter::FormatForPath("plot.svg"), Format::Svg);
    EXPECT_EQ(PlotExporter::FormatForPath("plot.Pdf"), Format::Pdf);
    EXPECT_EQ(PlotExporter::FormatForPath("plot.jpg"), std::nullopt);
    EXPECT_EQ(PlotExporter::FormatForPath("plot"), std::nullopt);

    // The profiles' texts are kept as text.
    QTemporaryDir dir;
    CKorvaneDoc doc = LiveViewFixture::TwoRecords();
    doc.ccVelocities = {180.0f};
    doc.displayMode = CrossCorrelationVelocity;
    PlotExporter::ExportFile(doc, dir.filePath("plot.svg"), 1200, 800);
    const QByteArray svg = ReadAll(dir.filePath("plot.svg"));
    EXPECT_TRUE(svg.contains("Vs (m/s)"));
    EXPECT_TRUE(svg.contains("Depth (m)"));
}

TEST(PlotExporterTest, BadRequestsLeaveEarlierFilesAlone) {
    QTemporaryDir dir;
    const CKorvaneDoc doc = LiveViewFixture::TwoRecords();
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
