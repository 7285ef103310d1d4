#include "OpenPanel.h"
#include "QtPrinting.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(OpenPanel, IsAWindowModalFileDialogForVideosThatAnswersOnce)
{
    QWidget window;
    window.show();
    const QTemporaryDir folder;
    const QString video = folder.filePath("a clip.mkv");
    QFile(video).open(QIODevice::WriteOnly);
    for (const bool accept : {true, false}) {
        std::vector<std::optional<QString>> answers;
        makeOpenPanel()->beginSheetModalForWindow(
            window, [&answers](const std::optional<QString>& path) { answers.push_back(path); });
        auto* dialog = window.findChild<QFileDialog*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->windowTitle(), "Open a video");
        EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
        EXPECT_TRUE(dialog->nameFilters().value(0).contains("*.mkv"));
        EXPECT_EQ(dialog->nameFilters().value(1), "All files (*)");

        dialog->selectFile(video);
        QDialog& asDialog = *dialog; // QFileDialog hides its accept()
        accept ? asDialog.accept() : asDialog.reject();
        EXPECT_EQ(answers,
                  (std::vector<std::optional<QString>>{accept ? video : std::optional<QString>()}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
