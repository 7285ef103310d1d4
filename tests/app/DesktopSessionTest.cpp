// Run on a private session bus (dbus-run-session), which stands in for the desktop's.
#include "ApplicationFixture.h"
#include "ClipJob.h"
#include "StandardOutput.h"

#include <QDBusConnection>
#include <QLabel>
#include <QRegularExpression>

#include <algorithm>

// The desktop as the application sees it: a notification service, and a
// launcher that listens for progress.
class FakeDesktop : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList notified;
    QList<double> progress; // while shown
    QStringList launchers;
    bool progressShown = false;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString&,
                const QStringList&, const QVariantMap&, int)
    {
        notified << summary;
        return 1;
    }
    void update(const QString& launcher, const QVariantMap& properties)
    {
        launchers << launcher;
        progressShown = properties.value("progress-visible").toBool();
        if (progressShown)
            progress << properties.value("progress").toDouble();
    }
};

// Every text a label shows, in order: each change comes from one event, such
// as a queued call, and is seen before the next event is handed out, however
// the updates bunch up.
class LabelWatch : public QObject {
public:
    explicit LabelWatch(const QLabel& label)
        : label(label)
    {
        qApp->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent*) override
    {
        if (texts.isEmpty() || texts.last() != label.text())
            texts << label.text();
        return false;
    }
    const QLabel& label;
    QStringList texts;
};

// The figures, in order, that the status line showed for clip.mp4.
QList<int> percentsIn(const QStringList& texts)
{
    static const QRegularExpression writing("^Writing clip.mp4… (\\d+)%$");
    QList<int> percents;
    for (const QString& text : texts) {
        const QRegularExpressionMatch match = writing.match(text);
        if (match.hasMatch())
            percents << match.captured(1).toInt();
    }
    return percents;
}

// ffmpeg's statistics as they come, the last past the clip's end: the status
// line and the task bar rise with them and stop short of 100% with the same
// last figure, a notification brings the verdict to a person elsewhere, and
// the output is printed whole.
TEST_F(ApplicationFixture, AnExportShowsHowFarItHasGotHereAndOnTheDesktop)
{
    QDBusConnection desktop = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "desktop");
    ASSERT_TRUE(desktop.isConnected()) << "run this under dbus-run-session";
    FakeDesktop fake;
    ASSERT_TRUE(desktop.registerService("org.freedesktop.Notifications") &&
                desktop.registerObject("/org/freedesktop/Notifications", &fake,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(desktop.connect({}, {}, "com.canonical.Unity.LauncherEntry", "Update", &fake,
                                SLOT(update(QString, QVariantMap))));

    const QByteArray statistics = "frame=1 time=00:00:01.00 x\rframe=2 time=00:00:03.50 x\r"
                                  "frame=3 time=00:00:07.00 x\rframe=4 time=00:00:12.00 x\r";
    tools.addScript("ffmpeg",
                    "for line in 'frame=1 time=00:00:01.00 x' 'frame=2 time=00:00:03.50 x' "
                    "'frame=3 time=00:00:07.00 x' 'frame=4 time=00:00:12.00 x'; do "
                    "printf '%s\\r' \"$line\"; sleep 0.1; done");
    delegate.fileDropped("/v/9");
    ASSERT_TRUE(durationShown("0:00:09.12"));
    setTimes("0|0|0|0|0|0|10|0");
    LabelWatch status(*delegate.statusLabel());
    const QStringList& texts = status.texts;
    flushStandardOutput(std::chrono::seconds(1));
    testing::internal::CaptureStdout();
    saveAs(1, tools.filePath("clip.mp4"));
    EXPECT_TRUE(waitFor([&] { return delegate.statusLabel()->text().startsWith("Not"); }));
    waitForClipJobs();
    flushStandardOutput(std::chrono::seconds(1));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), statistics.toStdString() + "\n");

    // However many figures come through, they rise, and the last is capped
    // short of 100 by the video's 9.5 s.
    const QList<int> percents = percentsIn(texts);
    ASSERT_FALSE(percents.isEmpty()) << texts.join('\n').toStdString();
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end(), std::less_equal<>()))
        << texts.join('\n').toStdString();
    EXPECT_EQ(percents.last(), 99);
    EXPECT_EQ(texts.value(texts.indexOf("Writing clip.mp4… 99%") + 1), "Checking clip.mp4…");
    EXPECT_TRUE(waitFor([&] { return !fake.notified.isEmpty() && !fake.progressShown; }));
    EXPECT_EQ(fake.notified, QStringList{delegate.statusLabel()->text()});
    EXPECT_TRUE(fake.notified.value(0).startsWith("Not written: "));
    ASSERT_FALSE(fake.progress.isEmpty());
    EXPECT_TRUE(std::is_sorted(fake.progress.begin(), fake.progress.end(), std::less_equal<>()));
    EXPECT_EQ(fake.progress.last(), 0.99);
    EXPECT_EQ(QSet<QString>(fake.launchers.begin(), fake.launchers.end()),
              QSet<QString>{"application://org.velborn.Trimlet.desktop"});
}

#include "DesktopSessionTest.moc"
