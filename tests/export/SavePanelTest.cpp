#include "SavePanel.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(SavePanel, IsAWindowModalFileDialogThatAddsTheExtension)
{
    QWidget window;
    window.show();
    const QTemporaryDir folder;
    for (const auto& [accept, response] : {std::pair{true, 1}, {false, 0}}) {
        std::weak_ptr<SavePanel> watched;
        std::optional<qint64> answer;
        {
            const std::shared_ptr<SavePanel> panel = makeSavePanel();
            watched = panel;
            panel->setTitle("Save as MP4 file");
            panel->setAllowedFileTypes({"mp4"});
            // Like the save action, the completion is what keeps the panel alive.
            panel->beginSheetModalForWindow(window, [&answer, panel](qint64 r) { answer = r; });
        }
        auto* dialog = window.findChild<QFileDialog*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowTitle(), "Save as MP4 file");
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        EXPECT_EQ(dialog->nameFilters(), QStringList{"MP4 (*.mp4)"});

        dialog->selectFile(folder.filePath("out clip"));
        QDialog& asDialog = *dialog; // QFileDialog hides its accept()
        accept ? asDialog.accept() : asDialog.reject();
        EXPECT_EQ(answer, response);
        ASSERT_FALSE(watched.expired());
        if (accept) {
            EXPECT_EQ(watched.lock()->url(), folder.filePath("out clip.mp4"));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(watched.expired());
    }
}

} // namespace
