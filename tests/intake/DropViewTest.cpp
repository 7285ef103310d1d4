#include "DropView.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

// Only a local file in first place is taken, and the area is grey while it is over.
TEST(DropView, LightsUpForALocalFileInFirstPlaceAndAnnouncesItWhenDropped)
{
    DropView view;
    QStringList dropped;
    QObject::connect(&view, &DropView::fileDropped, [&](const QString& path) { dropped << path; });
    const QList<QUrl> files{QUrl::fromLocalFile("/a b/1.mov"), QUrl::fromLocalFile("/v/2.mp4")};
    EXPECT_FALSE(sendDrag(view, QEvent::DragEnter, {QUrl("https://example.org/v.mp4"), files[1]}));
    EXPECT_EQ(view.backgroundColor(), Qt::white);
    EXPECT_TRUE(sendDrag(view, QEvent::DragEnter, files));
    EXPECT_EQ(view.backgroundColor(), QColor(0xAA, 0xAA, 0xAA));
    sendDrag(view, QEvent::DragLeave);
    EXPECT_EQ(view.backgroundColor(), Qt::white);
    EXPECT_TRUE(sendDrag(view, QEvent::DragEnter, files) && sendDrag(view, QEvent::Drop, files));
    EXPECT_EQ(view.backgroundColor(), Qt::white);
    EXPECT_EQ(dropped, QStringList{"/a b/1.mov"});
}
