#include "ApplicationFixture.h"
#include "DragEvents.h"
#include "EventLoop.h"
#include "MediaClips.h"
#include "ToolFolder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ProbeEndToEnd : public ApplicationFixture, public testing::WithParamInterface<const char*> {
protected:
    BuildToolFolder tools;
    QTemporaryDir folder;
};

TEST_P(ProbeEndToEnd, ADroppedClipShowsItsDuration)
{
    const QString path = folder.filePath(QString::fromUtf8(GetParam()));
    ASSERT_TRUE(makeTestClip(path, 3.0));

    ASSERT_TRUE(dragAndDropFiles(dropView(), {path}));
    EXPECT_EQ(delegate.droppedFileNameLabel()->text(), path);
    EXPECT_TRUE(
        processEventsUntil([&] { return !delegate.durationTextField()->text().isEmpty(); }));
    EXPECT_EQ(delegate.durationTextField()->text(), "0:00:03.0");
}

INSTANTIATE_TEST_SUITE_P(Names, ProbeEndToEnd,
                         testing::Values("plain.mp4", "with blanks, a comma and Ünïcödé.mkv",
                                         "-leading dash 'quoted'.mp4"));

TEST_F(ApplicationFixture, ANonVideoFileShowsAnEmptyDuration)
{
    BuildToolFolder tools;
    QTemporaryDir folder;
    const QString path = folder.filePath("notes.txt");
    QFile notes(path);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a video");
    notes.close();

    delegate.durationTextField()->setText("previous");
    delegate.fileDropped(path);
    EXPECT_TRUE(processEventsUntil([&] { return delegate.durationTextField()->text().isEmpty(); }));
}

} // namespace
