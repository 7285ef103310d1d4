#include "CopyChecks.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

QByteArray toolOutput(const QString& name, const QStringList& arguments)
{
    QProcess process;
    process.start(VELBORN_BUILD_RESOURCE_DIR "/" + name, arguments);
    process.waitForFinished(-1);
    return process.readAllStandardOutput();
}

// One line of framemd5: a packet's or a decoded frame's time and hash.
struct Stamped {
    double time = 0;
    QByteArray hash;
};

// The first video stream's packets (copied) or decoded frames, in the order
// ffmpeg hands them on, with their times from the file's start.
std::vector<Stamped> videoHashes(const QString& path, const QStringList& inputOptions, bool copy)
{
    const QStringList arguments =
        QStringList{"-v", "error"} + inputOptions + QStringList{"-i", path, "-map", "0:v:0"} +
        (copy ? QStringList{"-c", "copy"} : QStringList()) + QStringList{"-f", "framemd5", "-"};
    static const QRegularExpression timeBase(QStringLiteral("^#tb 0: (\\d+)/(\\d+)$"));
    double unit = 0;
    std::vector<Stamped> stamped;
    for (const QByteArray& line : toolOutput("ffmpeg", arguments).split('\n')) {
        const QRegularExpressionMatch base = timeBase.match(QString::fromLatin1(line));
        if (base.hasMatch())
            unit = base.captured(1).toDouble() / base.captured(2).toDouble();
        const QList<QByteArray> fields = line.split(',');
        if (!line.startsWith('#') && fields.size() == 6)
            stamped.push_back({fields[2].trimmed().toDouble() * unit, fields[5].trimmed()});
    }
    return stamped;
}

// "start_time" or "duration" of the file, in seconds.
double formatEntry(const QString& path, const QString& entry)
{
    return toolOutput("ffprobe",
                      {"-v", "error", "-show_entries", "format=" + entry, "-of", "csv=p=0", path})
        .trimmed()
        .toDouble();
}

// Decoded frames are stamped in frames, so a time is matched to within half of one.
std::vector<Stamped>::const_iterator at(const std::vector<Stamped>& stamped, double time,
                                        double within = 1e-4)
{
    return std::find_if(stamped.begin(), stamped.end(), [time, within](const Stamped& one) {
        return std::abs(one.time - time) < within;
    });
}

} // namespace

bool makeKeyFrameClip(const QString& path, double seconds, bool bFrames)
{
    const QString length = QString::number(seconds);
    QProcess ffmpeg;
    ffmpeg.start(VELBORN_BUILD_RESOURCE_DIR "/ffmpeg",
                 {"-y",
                  "-v",
                  "error",
                  "-f",
                  "lavfi",
                  "-i",
                  "testsrc=size=160x120:rate=25:duration=" + length,
                  "-f",
                  "lavfi",
                  "-i",
                  "sine=duration=" + length,
                  "-c:v",
                  "libx264",
                  "-g",
                  "50",
                  "-keyint_min",
                  "50",
                  "-sc_threshold",
                  "0",
                  "-bf",
                  bFrames ? "3" : "0",
                  "-pix_fmt",
                  "yuv420p",
                  "-c:a",
                  "aac",
                  path});
    ffmpeg.waitForFinished(-1);
    return ffmpeg.exitCode() == 0 && QFile::exists(path);
}

void expectCopiedFrom(const QString& source, const QString& clip, double keyFrame, double seconds)
{
    SCOPED_TRACE(("copied from " + source + " at " + QString::number(keyFrame)).toStdString());
    const double time = formatEntry(source, "start_time") + keyFrame;

    const std::vector<Stamped> sourcePackets = videoHashes(source, {}, true);
    const std::vector<Stamped> clipPackets = videoHashes(clip, {}, true);
    const auto first = at(sourcePackets, time);
    ASSERT_NE(first, sourcePackets.end());
    ASSERT_FALSE(clipPackets.empty());
    ASSERT_LE(clipPackets.size(), std::size_t(sourcePackets.end() - first));
    EXPECT_TRUE(std::equal(clipPackets.begin(), clipPackets.end(), first,
                           [](const Stamped& a, const Stamped& b) { return a.hash == b.hash; }));

    const std::vector<Stamped> sourceFrames = videoHashes(source, {}, false);
    const auto keyFrameShown = at(sourceFrames, time, 0.5 / 25);
    ASSERT_NE(keyFrameShown, sourceFrames.end());
    for (const char* ignoreEditLists : {"0", "1"}) {
        const std::vector<Stamped> shown =
            videoHashes(clip, {"-ignore_editlist", ignoreEditLists}, false);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front().hash.toStdString(), keyFrameShown->hash.toStdString())
            << "ignoring edit lists: " << ignoreEditLists;
    }
    // A cut by decoding time keeps the frames that B-frames delay (up to three
    // here) and the one the end falls in.
    EXPECT_NEAR(formatEntry(clip, "duration"), seconds + 0.08, 0.09);
}
