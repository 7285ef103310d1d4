#include "DropView.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

// Only a file of this machine in first place is taken, and the area is grey
// while it is over.
TEST(DropView, LightsUpForALocalFileInFirstPlaceAndAnnouncesItWhenDropped)
{
    DropView view;
    QStringList dropped;
    QObject::connect(&view, &DropView::fileDropped, [&](const QString& path) { dropped << path; });
    const QList<QUrl> files{QUrl("file://localhost/a%20b/1.mov"), QUrl::fromLocalFile("/v/2.mp4")};
    for (const char* other : {"https://example.org/v.mp4", "file://elsewhere/v/2.mp4"})
        EXPECT_FALSE(sendDrag(view, QEvent::DragEnter, {QUrl(other), files[1]})) << other;
    EXPECT_EQ(view.backgroundColor(), Qt::white);
    EXPECT_TRUE(sendDrag(view, QEvent::DragEnter, files));
    EXPECT_EQ(view.backgroundColor(), QColor(0xAA, 0xAA, 0xAA));
    sendDrag(view, QEvent::DragLeave);
    EXPECT_EQ(view.backgroundColor(), Qt::white);
    EXPECT_TRUE(sendDrag(view, QEvent::DragEnter, files) && sendDrag(view, QEvent::Drop, files));
    EXPECT_EQ(view.backgroundColor(), Qt::white);
    EXPECT_EQ(dropped, QStringList{"/a b/1.mov"});
}

// The source keeps its file: only a drag that allows a copy is taken, and the
// answer is copy at every step, whatever the source proposes.
TEST(DropView, AnswersCopyOrRefusesWhateverTheSourceProposes)
{
    const QList<QUrl> files{QUrl::fromLocalFile("/v/1.mov")};
    const Qt::KeyboardModifiers linkKeys = Qt::ControlModifier | Qt::ShiftModifier;
    const std::tuple<Qt::DropActions, Qt::KeyboardModifiers, bool> cases[] = {
        {Qt::CopyAction | Qt::MoveAction, {}, true},
        {Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier, true},
        {Qt::CopyAction | Qt::LinkAction, linkKeys, true},
        {Qt::MoveAction, {}, false},
        {Qt::MoveAction | Qt::LinkAction, {}, false}};
    for (const auto& [offered, modifiers, taken] : cases) {
        DropView view;
        QStringList dropped;
        QObject::connect(&view, &DropView::fileDropped, [&](const QString& p) { dropped << p; });
        const std::optional<Qt::DropAction> answer =
            taken ? std::optional(Qt::CopyAction) : std::nullopt;
        for (const QEvent::Type step : {QEvent::DragEnter, QEvent::DragMove, QEvent::Drop})
            EXPECT_EQ(answerToDrag(view, step, files, offered, modifiers), answer)
                << offered << " " << step;
        EXPECT_EQ(view.backgroundColor(), Qt::white);
        EXPECT_EQ(dropped, taken ? QStringList{"/v/1.mov"} : QStringList{}) << offered;
    }
}
