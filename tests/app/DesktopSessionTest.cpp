// Run on a private session bus (dbus-run-session), which stands in for the desktop's.
#include "ApplicationFixture.h"
#include "ClipJob.h"
#include "StandardOutput.h"

#include <QDBusConnection>

#include <algorithm>

// The desktop as the application sees it: a notification service, and a
// launcher that listens for progress.
class FakeDesktop : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList notified;
    QList<double> progress; // while shown
    QSet<QString> launchers;
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
        launchers.insert(launcher);
        progressShown = properties.value("progress-visible").toBool();
        if (progressShown)
            progress << properties.value("progress").toDouble();
    }
};

// ffmpeg's figures, the last past the end, rise to 99% on the task bar (as on
// the status line, from the same figure); a notification brings the verdict;
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

    const QStringList statistics{"frame=1 time=00:00:01.00 x", "frame=2 time=00:00:03.50 x",
                                 "frame=3 time=00:00:07.00 x", "frame=4 time=00:00:12.00 x"};
    tools.addScript("ffmpeg", "for line in '" + statistics.join("' '") +
                                  "'; do printf '%s\\r' \"$line\"; sleep 0.1; done");
    delegate.fileDropped("/v/9");
    ASSERT_TRUE(durationShown("0:00:09.12"));
    setTimes("0|0|0|0|0|0|10|0");
    flushStandardOutput(std::chrono::seconds(1));
    testing::internal::CaptureStdout();
    saveAs(1, tools.filePath("clip.mp4"));
    EXPECT_TRUE(waitFor([&] { return delegate.statusLabel()->text().startsWith("Not"); }));
    waitForClipJobs();
    flushStandardOutput(std::chrono::seconds(1));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              (statistics.join('\r') + "\r\n").toStdString());

    EXPECT_TRUE(waitFor([&] { return !fake.notified.isEmpty() && !fake.progressShown; }));
    EXPECT_EQ(fake.notified, QStringList{delegate.statusLabel()->text()});
    ASSERT_FALSE(fake.progress.isEmpty());
    EXPECT_TRUE(std::is_sorted(fake.progress.begin(), fake.progress.end(), std::less_equal<>()));
    EXPECT_EQ(fake.progress.last(), 0.99);
    EXPECT_EQ(fake.launchers, QSet<QString>{"application://org.velborn.Trimlet.desktop"});
}

#include "DesktopSessionTest.moc"
