#include "DropView.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

// Only a file of this machine in first place is taken, from a drag that allows
// a copy: the source keeps its file, so the answer is copy at every step,
// whatever the source proposes. The area is grey only while one is over it.
TEST(DropView, TakesALocalFileInFirstPlaceAsACopyAndLightsUpWhileItIsOver)
{
    const QUrl local("file://localhost/a%20b/1.mov"), other = QUrl::fromLocalFile("/v/2.mp4");
    const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;
    const std::tuple<QList<QUrl>, Qt::DropActions, Qt::KeyboardModifiers, bool> cases[] = {
        {{local, other}, copyOrMove, {}, true},
        {{local}, copyOrMove, Qt::ShiftModifier, true},
        {{local}, Qt::CopyAction | Qt::LinkAction, Qt::ControlModifier | Qt::ShiftModifier, true},
        {{local}, Qt::MoveAction, {}, false},
        {{local}, Qt::MoveAction | Qt::LinkAction, {}, false},
        {{QUrl("https://example.org/v.mp4"), other}, copyOrMove, {}, false},
        {{QUrl("file://elsewhere/v/2.mp4"), other}, copyOrMove, {}, false}};
    for (const auto& [urls, offered, modifiers, taken] : cases) {
        DropView view;
        QStringList dropped;
        QObject::connect(&view, &DropView::fileDropped, [&](const QString& p) { dropped << p; });
        SCOPED_TRACE(urls.first().toString().toStdString() + " " + std::to_string(offered.toInt()));
        const auto answer = taken ? std::optional(Qt::CopyAction) : std::nullopt;
        for (const QEvent::Type step : {QEvent::DragEnter, QEvent::DragMove}) {
            EXPECT_EQ(answerToDrag(view, step, urls, offered, modifiers), answer) << step;
            EXPECT_EQ(view.backgroundColor(), taken ? QColor(0xAA, 0xAA, 0xAA) : Qt::white);
        }
        EXPECT_EQ(answerToDrag(view, QEvent::Drop, urls, offered, modifiers), answer);
        EXPECT_EQ(view.backgroundColor(), Qt::white);
        EXPECT_EQ(dropped, taken ? QStringList{"/a b/1.mov"} : QStringList{});
        answerToDrag(view, QEvent::DragEnter, urls, offered, modifiers);
        answerToDrag(view, QEvent::DragLeave);
        EXPECT_EQ(view.backgroundColor(), Qt::white);
    }
}
