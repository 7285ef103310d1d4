#include "DropView.h"
#include "DragEvents.h"

#include <gtest/gtest.h>

namespace {

TEST(DropView, TakesOnlyALocalFileInFirstPlace)
{
    const auto file = [](const char* path) { return QUrl::fromLocalFile(path); };
    const QUrl link("https://example.org/video.mp4");
    EXPECT_EQ(DropView::firstFilename(mimeWithUrls({file("/a b/c.mov")}).get()), "/a b/c.mov");
    EXPECT_EQ(DropView::firstFilename(mimeWithUrls({file("/1.txt"), file("/2")}).get()), "/1.txt");
    EXPECT_EQ(DropView::firstFilename(mimeWithUrls({link, file("/2.mp4")}).get()), std::nullopt);
    EXPECT_EQ(DropView::firstFilename(mimeWithUrls({}).get()), std::nullopt);
}

TEST(DropView, LightsUpOnlyWhileAFileIsDraggedOverIt)
{
    const QColor white(0xFF, 0xFF, 0xFF);
    DropView view;
    EXPECT_EQ(view.backgroundColor(), white);
    const auto link = mimeWithUrls({QUrl("https://example.org/video.mp4")});
    EXPECT_FALSE(sendDragEnter(view, *link));
    EXPECT_EQ(view.backgroundColor(), white);

    const auto file = mimeWithUrls({QUrl::fromLocalFile("/v/clip.mp4")});
    EXPECT_TRUE(sendDragEnter(view, *file));
    EXPECT_EQ(view.backgroundColor(), QColor(0xAA, 0xAA, 0xAA));
    sendDragLeave(view);
    EXPECT_EQ(view.backgroundColor(), white);
    EXPECT_TRUE(sendDragEnter(view, *file));
    EXPECT_TRUE(sendDrop(view, *file));
    EXPECT_EQ(view.backgroundColor(), white);
}

} // namespace
