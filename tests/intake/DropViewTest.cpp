#include "DropView.h"
#include "DragEvents.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

struct FirstFilenameCase {
    const char* name;
    QList<QUrl> urls;
    std::optional<QString> expected;
};

class FirstFilename : public testing::TestWithParam<FirstFilenameCase> {};

TEST_P(FirstFilename, TakesOnlyALocalFileInFirstPlace)
{
    const auto data = mimeWithUrls(GetParam().urls);
    EXPECT_EQ(DropView::firstFilename(data.get()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirstFilename,
    testing::Values(
        FirstFilenameCase{"OneFile",
                          {QUrl::fromLocalFile("/videos/a b/clip.mov")},
                          QString("/videos/a b/clip.mov")},
        FirstFilenameCase{
            "SeveralFiles",
            {QUrl::fromLocalFile("/v/first.mp4"), QUrl::fromLocalFile("/v/second.mp4")},
            QString("/v/first.mp4")},
        FirstFilenameCase{
            "AnyType", {QUrl::fromLocalFile("/notes/readme.txt")}, QString("/notes/readme.txt")},
        FirstFilenameCase{"WebLink", {QUrl("https://example.org/video.mp4")}, std::nullopt},
        FirstFilenameCase{"WebLinkFirst",
                          {QUrl("https://example.org/a.mp4"), QUrl::fromLocalFile("/v/b.mp4")},
                          std::nullopt},
        FirstFilenameCase{"NoUrls", {}, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FirstFilename, RefusesADragOfPlainText)
{
    QMimeData text;
    text.setText("/videos/clip.mp4");
    EXPECT_EQ(DropView::firstFilename(&text), std::nullopt);
}

class DropViewTest : public testing::Test {
protected:
    DropView view;
    QSignalSpy dropped{&view, &DropView::fileDropped};
};

TEST_F(DropViewTest, LightsUpOnlyWhileAnAcceptableDragIsOver)
{
    EXPECT_EQ(view.backgroundColor(), QColor(Qt::white));

    const auto file = mimeWithFiles({"/v/clip.mp4"});
    EXPECT_TRUE(sendDragEnter(view, *file));
    EXPECT_EQ(view.backgroundColor(), QColor(0xAA, 0xAA, 0xAA));
    sendDragLeave(view);
    EXPECT_EQ(view.backgroundColor(), QColor(Qt::white));

    EXPECT_TRUE(sendDragEnter(view, *file));
    sendDrop(view, *file);
    EXPECT_EQ(view.backgroundColor(), QColor(Qt::white));
}

TEST_F(DropViewTest, RefusesAWebLinkAndStaysWhite)
{
    const auto link = mimeWithUrls({QUrl("https://example.org/video.mp4")});
    EXPECT_FALSE(sendDragEnter(view, *link));
    EXPECT_EQ(view.backgroundColor(), QColor(Qt::white));
    EXPECT_FALSE(sendDrop(view, *link));
    EXPECT_EQ(view.filePath(), std::nullopt);
    EXPECT_EQ(dropped.count(), 0);
}

TEST_F(DropViewTest, AnnouncesTheFirstFileOfEachDrop)
{
    EXPECT_TRUE(dragAndDropFiles(view, {"/v/one.mp4", "/v/ignored.mp4"}));
    EXPECT_TRUE(dragAndDropFiles(view, {"/v/two.mkv"}));

    ASSERT_EQ(dropped.count(), 2);
    EXPECT_EQ(dropped.at(0).at(0).toString(), "/v/one.mp4");
    EXPECT_EQ(dropped.at(1).at(0).toString(), "/v/two.mkv");
    EXPECT_EQ(view.filePath(), QString("/v/two.mkv"));
}

TEST_F(DropViewTest, ADragThatPassesOverHandsNothingOver)
{
    ASSERT_TRUE(dragAndDropFiles(view, {"/v/kept.mp4"}));
    const auto other = mimeWithFiles({"/v/other.mp4"});
    EXPECT_TRUE(sendDragEnter(view, *other));
    sendDragLeave(view);

    EXPECT_EQ(dropped.count(), 1);
    EXPECT_EQ(view.filePath(), QString("/v/kept.mp4"));
}

} // namespace
