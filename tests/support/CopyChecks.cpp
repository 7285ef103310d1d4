#include "CopyChecks.h"
#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// framemd5 of the first video stream's packets (copied) or decoded frames:
// their times from the file's start, and their hashes.
struct Hashes {
    QList<double> times;
    QByteArrayList hashes;
    // The first one within `within` s of `time`; -1 for none.
    qsizetype at(double time, double within) const
    {
        for (qsizetype i = 0; i < times.size(); ++i)
            if (std::abs(times[i] - time) < within)
                return i;
        return -1;
    }
};

Hashes videoHashes(const QString& path, const QStringList& inputOptions, bool copy)
{
    const QStringList arguments =
        QStringList{"-v", "error"} + inputOptions + QStringList{"-i", path, "-map", "0:v:0"} +
        (copy ? QStringList{"-c", "copy"} : QStringList()) + QStringList{"-f", "framemd5", "-"};
    static const QRegularExpression timeBase(QStringLiteral("^#tb 0: (\\d+)/(\\d+)$"));
    double unit = 0;
    Hashes found;
    for (const QByteArray& line : buildToolOutput("ffmpeg", arguments).split('\n')) {
        const QRegularExpressionMatch base = timeBase.match(QString::fromLatin1(line));
        if (base.hasMatch())
            unit = base.captured(1).toDouble() / base.captured(2).toDouble();
        const QList<QByteArray> fields = line.split(',');
        if (!line.startsWith('#') && fields.size() == 6) {
            found.times << fields[2].trimmed().toDouble() * unit;
            found.hashes << fields[5].trimmed();
        }
    }
    return found;
}

// "start_time" or "duration" of the file, in seconds.
double formatEntry(const QString& path, const QString& entry)
{
    return buildToolOutput("ffprobe", {"-v", "error", "-show_entries", "format=" + entry, "-of",
                                       "csv=p=0", path})
        .trimmed()
        .toDouble();
}

} // namespace

bool makeKeyFrameClip(const QString& path, double seconds, bool bFrames)
{
    const QString making =
        "-y -v error -f lavfi -i testsrc=size=160x120:rate=25:duration=%1 -f lavfi -i "
        "sine=duration=%1 -c:v libx264 -g 50 -keyint_min 50 -sc_threshold 0 -bf %2 -pix_fmt "
        "yuv420p -c:a aac";
    buildToolOutput("ffmpeg", making.arg(seconds).arg(bFrames ? 3 : 0).split(' ') << path);
    return QFile::exists(path);
}

void expectCopiedFrom(const QString& source, const QString& clip, double keyFrame, double seconds)
{
    SCOPED_TRACE(("copied from " + source + " at " + QString::number(keyFrame)).toStdString());
    const double time = formatEntry(source, "start_time") + keyFrame;
    const Hashes sourcePackets = videoHashes(source, {}, true);
    const Hashes clipPackets = videoHashes(clip, {}, true);
    const qsizetype first = sourcePackets.at(time, 1e-4);
    ASSERT_GE(first, 0);
    ASSERT_FALSE(clipPackets.hashes.empty());
    EXPECT_EQ(clipPackets.hashes, sourcePackets.hashes.mid(first, clipPackets.hashes.size()));
    // Decoded frames are stamped in frames: a time is matched to within half of one.
    const Hashes sourceFrames = videoHashes(source, {}, false);
    const QByteArray keyFrameShown = sourceFrames.hashes.value(sourceFrames.at(time, 0.5 / 25));
    ASSERT_FALSE(keyFrameShown.isEmpty());
    for (const char* ignoreEditLists : {"0", "1"}) {
        EXPECT_EQ(videoHashes(clip, {"-ignore_editlist", ignoreEditLists}, false).hashes.value(0),
                  keyFrameShown)
            << "ignoring edit lists: " << ignoreEditLists;
    }
    // A cut by decoding time keeps the frames that B-frames delay (up to three
    // here) and the one the end falls in.
    EXPECT_NEAR(formatEntry(clip, "duration"), seconds + 0.08, 0.09);
}
