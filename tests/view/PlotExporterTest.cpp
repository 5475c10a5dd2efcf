// Plot export to PNG, SVG and PDF files.
#include "view/PlotExporter.h"

#include "LiveViewFixture.h"
#include "dsp/KorvaneError.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace korvane {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(PlotExporterTest, EachFormatIsWrittenAndOpens) {
    using Format = PlotExporter::Format;
    EXPECT_EQ(PlotExporter::FormatForPath("a/plot.PNG"), Format::Png);
    EXPECT_EQ(PlotExporter::FormatForPath("plot.svg"), Format::Svg);
    EXPECT_EQ(PlotExporter::FormatForPath("plot.Pdf"), Format::Pdf);
    EXPECT_EQ(PlotExporter::FormatForPath("plot.jpg"), std::nullopt);
    EXPECT_EQ(PlotExporter::FormatForPath("plot"), std::nullopt);

    QTemporaryDir dir;
    CKorvaneDoc doc = LiveViewFixture::TwoRecords();
    PlotExporter::ExportFile(doc, dir.filePath("plot.png"), 800, 400);
    const QImage image(dir.filePath("plot.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(800, 400));
    // The same frame as the screen: markers on top of the baseline that runs through them.
    const auto pixelOf = LiveViewFixture::PixelOf;
    EXPECT_EQ(image.pixelColor(pixelOf(975, 1.5)), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(pixelOf(7025, -1.5)), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(pixelOf(500, 1.5)), QColor(Qt::green));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));

    doc.ccVelocities = {180.0f};
    doc.displayMode = CrossCorrelationVelocity;
    PlotExporter::ExportFile(doc, dir.filePath("plot.svg"), 1200, 800);
    const QByteArray svg = ReadAll(dir.filePath("plot.svg"));
    EXPECT_TRUE(svg.contains("<svg"));
    EXPECT_TRUE(svg.contains("Vs (m/s)"));
    EXPECT_TRUE(svg.contains("Depth (m)"));
    PlotExporter::ExportFile(doc, dir.filePath("plot.pdf"), 1200, 800);
    const QByteArray pdf = ReadAll(dir.filePath("plot.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_GT(pdf.size(), 1000);
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
