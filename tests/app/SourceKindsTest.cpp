// Every kind of video people cut, cut from the command line from 2 s for 3 s:
// the clip starts on the source's frame at 2 s, is as long as asked or says
// why not, and plays everywhere.
#include "DurationText.h"
#include "TestSupport.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>

namespace {

QByteArray runTool(const QString& name, const QStringList& arguments,
                   QProcess::ProcessChannelMode channels = QProcess::SeparateChannels)
{
    QProcess process;
    process.setProcessChannelMode(channels);
    process.start(VELBORN_BUILD_RESOURCE_DIR "/" + name, arguments);
    process.waitForFinished(120'000);
    return process.readAllStandardOutput();
}

// One frame of `video` from where `seek` puts it, as 160x120 grey levels.
QByteArray greyFrame(const QString& video, const QStringList& seek = {})
{
    return runTool("ffmpeg", QStringList{"-v", "error", "-i", video} + seek +
                                 QStringList{"-frames:v", "1", "-vf", "scale=160:120", "-pix_fmt",
                                             "gray", "-f", "rawvideo", "-"});
}

double psnr(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size() || a.isEmpty())
        return 0;
    double squares = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const int difference = static_cast<unsigned char>(a[i]) - static_cast<unsigned char>(b[i]);
        squares += difference * difference;
    }
    return squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * a.size() / squares);
}

// How the clip's first frame compares with the source's decoded exactly at
// 2 s, one frame before and one after.
struct FirstFrame {
    double atStart;
    double bestNeighbour;
};

FirstFrame compareFirstFrame(const QString& source, const QString& clip, double fps)
{
    const QByteArray first = greyFrame(clip);
    const auto at = [&](double seconds) {
        return psnr(first, greyFrame(source, {"-ss", QString::number(seconds, 'f', 4)}));
    };
    return {at(2.0), std::max(at(2.0 - 1 / fps), at(2.0 + 1 / fps))};
}

// "key=value" lines of ffprobe on the clip's video and container.
QMap<QString, QString> clipFacts(const QString& clip)
{
    QMap<QString, QString> facts;
    const QString answer = QString::fromUtf8(
        runTool("ffprobe", {"-v", "error", "-show_entries",
                            "stream=codec_type,pix_fmt,profile,field_order:format=duration", "-of",
                            "default=noprint_wrappers=1", clip}));
    for (const QString& line : answer.split('\n', Qt::SkipEmptyParts)) {
        const QString key = line.section('=', 0, 0);
        facts[key] =
            facts.contains(key) ? facts[key] + ',' + line.section('=', 1) : line.section('=', 1);
    }
    return facts;
}

// Frames that idet finds interlaced bottom field first, and all it judged.
std::pair<int, int> bottomFirstFrames(const QString& clip)
{
    const QString said = QString::fromUtf8(runTool(
        "ffmpeg", {"-i", clip, "-vf", "idet", "-f", "null", "-"}, QProcess::MergedChannels));
    const QRegularExpressionMatch counts =
        QRegularExpression("Multi frame detection: TFF: *(\\d+) BFF: *(\\d+) Progressive: *(\\d+)")
            .match(said);
    const int bottomFirst = counts.captured(2).toInt();
    return {bottomFirst, counts.captured(1).toInt() + bottomFirst + counts.captured(3).toInt()};
}

QString cutFromTheCommandLine(const QString& folder, const QString& source)
{
    QProcess application;
    application.setWorkingDirectory(folder);
    application.start(VELBORN_APP, {"--start", "2", "--length", "3", "--output",
                                    QFileInfo(source).fileName() + " clip.mp4", source});
    application.waitForFinished(120'000);
    return QString::fromUtf8(application.readAllStandardError()).trimmed().section('\n', -1);
}

// Halves the file: its data ends there while its index, at the front, still
// promises the whole video.
bool truncateToHalf(const QString& path)
{
    QByteArray bytes = contentsOf(path);
    bytes.truncate(bytes.size() / 2);
    return writeContents(path, bytes);
}

// Where the data of a cut-off file ends: the end of its last whole packet.
double dataEnd(const QString& video)
{
    double end = 0;
    const QString packets = QString::fromUtf8(
        runTool("ffprobe", {"-v", "quiet", "-show_entries", "packet=pts_time,duration_time", "-of",
                            "csv=p=0", video}));
    for (const QString& packet : packets.split('\n', Qt::SkipEmptyParts))
        end = std::max(end,
                       packet.section(',', 0, 0).toDouble() + packet.section(',', 1, 1).toDouble());
    return end;
}

struct SourceKind {
    QString file;
    QStringList making; // ffmpeg's arguments before the file
    QString picture;    // "pix_fmt,profile,field_order" of the clip; empty for none
};

QStringList lavfi(const QString& picture)
{
    return {"-f", "lavfi", "-i", picture + ":duration=8", "-f", "lavfi", "-i", "sine=duration=8"};
}

} // namespace

TEST(SourceKinds, EachGivesTheClipAskedForOrSaysWhyNot)
{
    const QTemporaryDir folder;
    const QStringList pattern = lavfi("testsrc=size=160x120:rate=24");
    const QStringList small = pattern + QStringList{"-pix_fmt", "yuv420p"};
    const QString progressive = "yuv420p,High,progressive";
    // clang-format off
    const SourceKind kinds[] = {
        {"h264-at-1h.ts", small + QStringList{"-c:v", "libx264", "-g", "40", "-output_ts_offset", "3600"}, progressive},
        {"mpeg2.ts", small + QStringList{"-c:v", "mpeg2video", "-g", "40", "-q:v", "3"}, progressive},
        {"h264.mp4", small + QStringList{"-c:v", "libx264", "-g", "40"}, progressive},
        {"h264.mkv", small + QStringList{"-c:v", "libx264", "-g", "40"}, progressive},
        {"music.mp3", small + QStringList{"-map", "1", "-map", "0", "-frames:v", "1", "-c:v", "mjpeg", "-disposition:v", "attached_pic"}, ""},
        {"h264 with cover.mp4", pattern + QStringList{"-f", "lavfi", "-i", "color=c=red:size=320x240:duration=1", "-pix_fmt", "yuv420p", "-map", "0", "-map", "1", "-map", "2", "-frames:v:1", "1", "-c:v:1", "mjpeg", "-disposition:v:1", "attached_pic"}, progressive},
        {"ten-bit-422.mkv", pattern + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv422p10le", "-g", "40"}, progressive},
        {"interlaced.mpg", lavfi("testsrc2=size=320x240:rate=50") + QStringList{"-vf", "interlace=scan=bff:lowpass=off", "-c:v", "mpeg2video", "-flags", "+ilme+ildct", "-q:v", "3"}, "yuv420p,High,bb"},
        {"truncated.mp4", small + QStringList{"-c:v", "libx264", "-g", "40", "-movflags", "+faststart"}, progressive}};
    // clang-format on
    const QRegularExpression shortVerdict(
        "^, (\\S+) \\(shorter than asked: the video ends at (\\S+); the video is damaged\\)$");
    for (const SourceKind& kind : kinds) {
        SCOPED_TRACE(kind.file.toStdString());
        const QString source = folder.filePath(kind.file);
        runTool("ffmpeg", QStringList{"-y", "-v", "error"} + kind.making + QStringList{source});
        const bool truncated = kind.file.startsWith("truncated");
        ASSERT_TRUE(!truncated || truncateToHalf(source));
        const QString verdict = cutFromTheCommandLine(folder.path(), source);
        const QString clip = folder.filePath(QFileInfo(source).fileName() + " clip.mp4");
        const QString written = "Written: " + QFileInfo(clip).fileName();
        if (!verdict.startsWith(written)) {
            ADD_FAILURE() << verdict.toStdString();
            continue;
        }
        const QMap<QString, QString> facts = clipFacts(clip);
        const double seconds = facts["duration"].toDouble();

        if (!truncated) {
            EXPECT_EQ(verdict.mid(written.size()), ", 0:00:03.0");
            EXPECT_NEAR(seconds, 3.0, 1.0 / 24);
        } else {
            const QRegularExpressionMatch said = shortVerdict.match(verdict.mid(written.size()));
            ASSERT_TRUE(said.hasMatch()) << verdict.toStdString();
            EXPECT_NEAR(seconds, dataEnd(source) - 2, 1.0 / 24);
            EXPECT_EQ(said.captured(1),
                      durationTextOf(std::chrono::microseconds(std::llround(seconds * 1e6))));
            EXPECT_EQ(said.captured(2),
                      durationTextOf(std::chrono::microseconds(std::llround((2 + seconds) * 1e6))));
        }
        if (kind.picture.isEmpty()) {
            EXPECT_EQ(facts["codec_type"], "audio");
            continue;
        }
        EXPECT_EQ(facts["pix_fmt"] + ',' + facts["profile"].section(',', 0, 0) + ',' +
                      facts["field_order"],
                  kind.picture);
        const FirstFrame first =
            compareFirstFrame(source, clip, kind.picture.endsWith("bb") ? 25 : 24);
        EXPECT_GT(first.atStart, 35);
        EXPECT_GT(first.atStart, first.bestNeighbour);
        if (kind.picture.endsWith("bb")) {
            const auto [bottomFirst, judged] = bottomFirstFrames(clip);
            EXPECT_GT(bottomFirst, judged / 2);
        }
    }
}
