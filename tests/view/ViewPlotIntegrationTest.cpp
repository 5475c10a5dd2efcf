// The program's view with the renderer, the marker drag, printing and plot export wired in.
#include "view/CKorvaneView.h"

#include "../app/ScriptedPrompts.h"
#include "app/CommandIds.h"
#include "sounding/CKorvaneDoc.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace korvane {
namespace {

// Two records with quiet waves and windows (1000, 7000): in 800 x 400 the rows are 3 units
// high with baselines at world y +1.5 and -1.5, and sample s lies at pixel (s*12/8192 + 2)*50.
void Fill(CKorvaneDoc& doc) {
    doc.recordCount = 2;
    doc.dataLoaded = 1;
    doc.displayMode = FilteredWaves;
    doc.depths = {1.0f, 2.0f};
    doc.windows = {{1000, 7000}, {1000, 7000}};
    doc.filteredWaves.assign(2, std::vector<float>(doc.samplesPerRecord, 0.0f));
    doc.rawWaves = doc.filteredWaves;
}

QPoint PixelOf(double sample, double worldY) {
    return {static_cast<int>(std::lround((sample * 12.0 / 8192.0 + 2.0) * 50.0)),
            static_cast<int>(std::lround((4.0 - worldY) * 50.0))};
}

void Mouse(QWidget& view, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), view.mapToGlobal(QPointF(at)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&view, &event);
}

class ViewPlotIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Fill(doc);
        doc.onChanged = [this] { ++changes; };
        view.SetPrompts(&prompts);
        view.resize(800, 400);
        view.show();
        QElapsedTimer timer;
        timer.start();
        while ((!view.HasContext() || view.viewGeometry.clientWidth != 800) &&
               timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_TRUE(view.HasContext());
        view.grabFramebuffer(); // a first frame sets xScale and xOrigin
    }

    CKorvaneDoc doc;
    ScriptedPrompts prompts;
    CKorvaneView view{doc};
    int changes = 0;
};

TEST_F(ViewPlotIntegrationTest, DraggingAMarkerEditsTheWindowAndMarksTheDocument) {
    const QImage before = view.grabFramebuffer();
    EXPECT_EQ(before.pixelColor(PixelOf(975, 1.5)), QColor(Qt::red)); // marker over baseline
    EXPECT_EQ(before.pixelColor(PixelOf(7025, -1.5)), QColor(Qt::blue));
    EXPECT_EQ(before.pixelColor(PixelOf(500, 1.5)), QColor(Qt::green));

    Mouse(view, QEvent::MouseButtonPress, PixelOf(975, 2.0), Qt::LeftButton);
    EXPECT_EQ(view.dragging, 1);
    EXPECT_EQ(view.dragRecord, 0);
    EXPECT_EQ(view.dragBoundary, 0);
    EXPECT_EQ(view.cursor().shape(), Qt::SizeHorCursor);
    EXPECT_FALSE(doc.IsModified());
    Mouse(view, QEvent::MouseMove, QPoint(400, 10), Qt::LeftButton);
    EXPECT_EQ(doc.windows[0].first, 4096);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_GE(changes, 1);
    Mouse(view, QEvent::MouseButtonRelease, QPoint(400, 10), Qt::NoButton);
    EXPECT_EQ(view.dragging, 0);
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
    const QImage after = view.grabFramebuffer();
    EXPECT_EQ(after.pixelColor(PixelOf(4096 - 25, 2.0)), QColor(Qt::red));
}

TEST_F(ViewPlotIntegrationTest, NoEditWhileALongCommandRuns) {
    view.SetCommandsLocked(true);
    Mouse(view, QEvent::MouseButtonPress, PixelOf(975, 2.0), Qt::LeftButton);
    Mouse(view, QEvent::MouseMove, QPoint(400, 10), Qt::LeftButton);
    Mouse(view, QEvent::MouseButtonRelease, QPoint(400, 10), Qt::NoButton);
    EXPECT_EQ(view.dragging, 0);
    EXPECT_EQ(doc.windows[0].first, 1000);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(ViewPlotIntegrationTest, PrintingPutsThePlotOnThePage) {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("page.pdf"));
    view.PrintPlot(printer);
    QFile page(dir.filePath("page.pdf"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray bytes = page.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    // A blank page is well under a kilobyte; the frame adds its paths and text.
    EXPECT_GT(bytes.size(), 4000);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(ViewPlotIntegrationTest, ExportPlotWritesTheChosenFormat) {
    QTemporaryDir dir;
    prompts.saveFileNameAnswers = {dir.filePath("plot.png")};
    EXPECT_TRUE(view.OnCommand(cmd::FileExportPlot));
    const QImage image(dir.filePath("plot.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(800, 400));
    EXPECT_EQ(image.pixelColor(PixelOf(975, 1.5)), QColor(Qt::red));

    // An existing file is replaced only when the user agrees; a wrong type is refused.
    prompts.saveFileNameAnswers = {dir.filePath("plot.png")};
    prompts.confirmAnswers = {false};
    doc.displayMode = Credits;
    view.OnCommand(cmd::FileExportPlot);
    EXPECT_EQ(QImage(dir.filePath("plot.png")).pixelColor(PixelOf(975, 1.5)), QColor(Qt::red));
    prompts.saveFileNameAnswers = {dir.filePath("plot.gif")};
    view.OnCommand(cmd::FileExportPlot);
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].contains(".png, .svg or .pdf"));
    EXPECT_FALSE(QFile::exists(dir.filePath("plot.gif")));
}

} // namespace
} // namespace korvane
