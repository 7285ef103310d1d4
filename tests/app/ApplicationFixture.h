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

// Starts `program` in `folder` as a script would, with no display.
inline void startInFolder(QProcess& process, const QString& program, const QStringList& arguments,
                          const QString& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
}

// The signal that ended `process`; 0 for an exit with 0, -1 for any other exit.
inline int endingSignal(const QProcess& process)
{
    const int code = process.exitCode();
    return process.exitStatus() == QProcess::CrashExit ? code : code == 0 ? 0 : -1;
}

// A run as above: its exit code (-1 for a signal) and standard error.
struct Outcome {
    int exitCode = -1;
    QString errors;
    QString verdict() const { return errors.trimmed().section('\n', -1); }
};

inline Outcome runToEnd(const QString& program, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    startInFolder(process, program, arguments, folder);
    process.waitForFinished(120'000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
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
