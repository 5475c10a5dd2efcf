// Edit > Undo and Redo of window edits made with the mouse and the keys in the program's view,
// and the modified flag following the history.
#include "AppFixture.h"

#include "app/CommandIds.h"
#include "app/DocumentHistory.h"
#include "view/CKorvaneView.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>

namespace korvane {
namespace {

class DocumentHistoryTest : public AppFixture {
protected:
    // The client pixel in the middle of a record's start marker, above its baseline.
    QPoint StartMarker(int record) {
        CKorvaneView& view = app->View();
        QElapsedTimer timer;
        timer.start();
        while (!view.HasContext() && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        view.grabFramebuffer();
        const ViewGeometry& g = view.viewGeometry;
        const CKorvaneDoc& doc = app->Document();
        const float rowHeight = 6.0f / static_cast<float>(doc.recordCount);
        const float x = (doc.windows[record].first - 25) * g.xScale + g.xOrigin;
        const float y = 3.0f - (record + 0.5f) * rowHeight + rowHeight * 0.125f;
        return {static_cast<int>((x - g.orthoLeft) * g.pixelsPerUnit),
                static_cast<int>((g.orthoTop - y) * g.pixelsPerUnit)};
    }
    void Mouse(QEvent::Type type, QPoint at) {
        CKorvaneView& view = app->View();
        QMouseEvent event(type, QPointF(at), view.mapToGlobal(QPointF(at)),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
    }
    void Key(int key, int times = 1) {
        for (int i = 0; i < times; ++i) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(&app->View(), &event);
        }
    }
    std::string UndoText() const {
        return app->Registry().Action(cmd::EditUndo)->text().toStdString();
    }
};

TEST_F(DocumentHistoryTest, UndoRestoresWindowsExactlyAndTheSavedStateClearsTheModifiedFlag) {
    LoadThreeRecords();
    CKorvaneDoc& doc = app->Document();
    ExpectEnabled({cmd::EditUndo, cmd::EditRedo}, false);
    QTemporaryDir dir;
    prompts->saveFileNameAnswers.push_back(dir.filePath("saved.kvn"));
    ASSERT_TRUE(Dispatch(cmd::FileSaveAs));
    ASSERT_FALSE(doc.IsModified());
    const SampleWindow saved = doc.windows[1];

    // A whole drag is one step.
    const QPoint at = StartMarker(1);
    Mouse(QEvent::MouseButtonPress, at);
    for (int dx : {20, 60, 100})
        Mouse(QEvent::MouseMove, at + QPoint(dx, 0));
    Mouse(QEvent::MouseButtonRelease, at + QPoint(100, 0));
    const SampleWindow dragged = doc.windows[1];
    ASSERT_NE(dragged, saved);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(UndoText(), "&Undo Move Start Marker");
    ASSERT_TRUE(Dispatch(cmd::EditUndo));
    EXPECT_EQ(doc.windows[1], saved);
    EXPECT_FALSE(doc.IsModified());
    ExpectEnabled({cmd::EditUndo}, false);
    ASSERT_TRUE(Dispatch(cmd::EditRedo));
    EXPECT_EQ(doc.windows[1], dragged);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_TRUE(Dispatch(cmd::EditUndo));

    // Key presses on one marker make one step; coming back to where they began makes none.
    Key(Qt::Key_Right, 3);
    EXPECT_EQ(doc.windows[1].first, saved.first + 3);
    ExpectEnabled({cmd::EditRedo}, false); // the drag's redo is gone
    ASSERT_TRUE(Dispatch(cmd::EditUndo));
    EXPECT_EQ(doc.windows[1], saved);
    EXPECT_FALSE(doc.IsModified());
    ASSERT_TRUE(Dispatch(cmd::EditRedo));
    Key(Qt::Key_Left, 3);
    EXPECT_EQ(doc.windows[1], saved);
    EXPECT_FALSE(doc.IsModified());
    ExpectEnabled({cmd::EditUndo}, false);

    // A run cannot be undone: undoing the edits before it leaves the document modified.
    Key(Qt::Key_Right);
    ASSERT_TRUE(Dispatch(cmd::RunCrossCorrelation));
    ASSERT_TRUE(Dispatch(cmd::EditUndo));
    EXPECT_EQ(doc.windows[1], saved);
    EXPECT_TRUE(doc.IsModified());

    // Opening a document forgets the steps of the one before.
    prompts->saveChangesAnswers.push_back(SaveChangesAnswer::No);
    prompts->openFileNameAnswers.push_back(dir.filePath("saved.kvn"));
    ASSERT_TRUE(Dispatch(cmd::FileOpen));
    ExpectEnabled({cmd::EditUndo, cmd::EditRedo}, false);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(prompts->messages.isEmpty()) << Messages();
}

} // namespace
} // namespace korvane
