#pragma once

#include "AppDelegate.h"
#include "BusyState.h"
#include "MainWindow.h"
#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

// What the private folders of clips still being written hold in `folder`:
// each clip as "private folder/name", or the folder alone when it holds none.
inline QStringList unfinishedClips(const QString& folder)
{
    QStringList unfinished;
    const QDir in(folder);
    for (const QString& name :
         in.entryList({".velborn-unfinished-*"}, QDir::AllEntries | QDir::Hidden)) {
        const QStringList clips = QDir(in.filePath(name)).entryList(QDir::Files | QDir::Hidden);
        for (const QString& clip : clips)
            unfinished << name + '/' + clip;
        if (clips.isEmpty())
            unfinished << name;
    }
    return unfinished;
}

// Processes whose command line names `path`, zombies aside.
inline int processesNaming(const QString& path)
{
    QProcess pgrep;
    pgrep.start("pgrep", {"--count", "--full", QRegularExpression::escape(path)});
    return pgrep.waitForFinished() ? pgrep.readAll().trimmed().toInt() : -1;
}

// The application, not shown. Its ffprobe gives the file's name as seconds; its
// ffmpeg has no frames to show, saves a clip's arguments in "ffmpeg.args", and
// for "wait…" waits for "ffmpeg.go".
class ApplicationFixture : public testing::Test {
protected:
    ApplicationFixture()
    {
        tools.addScript("ffprobe", R"(echo "format,0:00:0${2##*/}.500000")");
        tools.addScript("ffmpeg", R"(for a; do out="$a"; done; [ "$out" = - ] && exit 1
printf '%s\n' "$@" > "$0.args"
case "$out" in *wait*) for i in $(seq 1500); do [ -e "$0.go" ] && exit; sleep .02; done;; esac)");
        window.connectDelegate(delegate);
        delegate.applicationDidFinishLaunching();
    }

    // The file dialog showing on the window, or null.
    QFileDialog* dialog() const
    {
        return qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    }
    // Ends the dialog with `response`, `path` chosen in it first.
    void answer(int response, const QString& path)
    {
        ASSERT_NE(dialog(), nullptr);
        dialog()->selectFile(path);
        static_cast<QDialog*>(dialog())->done(response);
    }
    void saveAs(int response, const QString& path)
    {
        delegate.saveClipButton()->click();
        answer(response, path);
    }
    bool durationShown(const QString& text)
    {
        return waitFor([&] { return delegate.durationTextField()->text() == text; });
    }
    // The window at a glance: the file, the duration, the status, Save, the
    // indicator, and the start and length fields as "h|m|s|f|h|m|s|f".
    QStringList seen() const
    {
        QStringList times;
        for (const QLineEdit* field : timeFields())
            times << field->text();
        const QProgressBar& progress = *delegate.clipProgress();
        // clang-format off
        return {delegate.droppedFileNameLabel()->text(), delegate.durationTextField()->text(),
                delegate.statusLabel()->text(), delegate.saveClipButton()->isEnabled() ? "save" : "-",
                isBusyIndicatorRunning(progress) ? "busy" : progress.isHidden() ? "idle" : "?", times.join('|')};
        // clang-format on
    }
    void setTimes(const QString& texts)
    {
        for (qsizetype i = 0; i < 8; ++i)
            timeFields()[i]->setText(texts.section('|', int(i), int(i)));
    }
    QList<QLineEdit*> timeFields() const
    {
        return window.findChildren<QLineEdit*>(QRegularExpression("^(start|time)"));
    }

    ToolFolder tools;
    MainWindow window;
    AppDelegate delegate;
};
