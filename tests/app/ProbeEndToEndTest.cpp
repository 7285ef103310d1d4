#include "ApplicationFixture.h"
#include "DragEvents.h"
#include "DropView.h"
#include "EventLoop.h"
#include "MediaClips.h"
#include "ToolFolder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST_F(ApplicationFixture, ADroppedClipShowsItsDurationWhateverItsName)
{
    const BuildToolFolder tools;
    const QTemporaryDir folder;
    for (const char* name : {"plain.mp4", "blanks, a comma and Ünïcödé.mkv", "-dash 'q'.mp4"}) {
        const QString path = folder.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(makeTestClip(path, 3.0));
        delegate.durationTextField()->clear();
        ASSERT_TRUE(dragAndDropFiles(*window.dropView(), {path}));
        EXPECT_EQ(delegate.droppedFileNameLabel()->text(), path);
        EXPECT_TRUE(
            processEventsUntil([&] { return !delegate.durationTextField()->text().isEmpty(); }));
        EXPECT_EQ(delegate.durationTextField()->text(), "0:00:03.0") << name;
    }
}

} // namespace
