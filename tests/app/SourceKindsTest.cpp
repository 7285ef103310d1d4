// Every kind of video people cut, cut from the command line from 2 s for 3 s:
// the clip starts on the source's frame at 2 s, is as long as asked or says
// why not, and plays everywhere.
#include "ApplicationFixture.h"
#include "DurationText.h"

#include <QRegularExpression>

#include <cmath>

namespace {

// One frame of `video` from where `seek` puts it, as 160x120 grey levels.
QByteArray greyFrame(const QString& video, const QStringList& seek = {})
{
    return buildToolOutput("ffmpeg", QStringList{"-v", "error", "-i", video} + seek +
                                         QStringList{"-frames:v", "1", "-vf", "scale=160:120",
                                                     "-pix_fmt", "gray", "-f", "rawvideo", "-"});
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

// "pix_fmt,profile,field_order" of the clip's first video stream, if it has
// one, and its duration in seconds.
std::pair<QString, double> pictureAndSeconds(const QString& clip)
{
    const QString entries = "stream=profile,pix_fmt,field_order:format=duration";
    const QStringList lines =
        QString::fromUtf8(
            buildToolOutput("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                        entries, "-of", "csv=p=0", clip}))
            .split('\n', Qt::SkipEmptyParts);
    return {lines.size() > 1 ? lines.first() : QString(), lines.value(lines.size() - 1).toDouble()};
}

// Whether idet finds most of the clip's frames interlaced bottom field first.
bool mostlyBottomFieldFirst(const QString& clip)
{
    const QString said = runToEnd(VELBORN_BUILD_RESOURCE_DIR "/ffmpeg",
                                  {"-i", clip, "-vf", "idet", "-f", "null", "-"}, "/")
                             .errors;
    const QRegularExpressionMatch counts =
        QRegularExpression("Multi frame detection: TFF: *(\\d+) BFF: *(\\d+) Progressive: *(\\d+)")
            .match(said);
    return counts.captured(2).toInt() > counts.captured(1).toInt() + counts.captured(3).toInt();
}

// Where the data of a cut-off file ends: the end of its last whole packet.
double dataEnd(const QString& video)
{
    double end = 0;
    const QString packets = QString::fromUtf8(
        buildToolOutput("ffprobe", {"-v", "quiet", "-show_entries", "packet=pts_time,duration_time",
                                    "-of", "csv=p=0", video}));
    for (const QString& packet : packets.split('\n', Qt::SkipEmptyParts))
        end = std::max(end,
                       packet.section(',', 0, 0).toDouble() + packet.section(',', 1, 1).toDouble());
    return end;
}

QString durationText(double seconds)
{
    return durationTextOf(std::chrono::microseconds(std::llround(seconds * 1e6)));
}

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
    const QString progressive = "High,yuv420p,progressive";
    // The file; ffmpeg's arguments before it; "profile,pix_fmt,field_order"
    // of the clip, or empty for a clip of sound. "truncated" files are halved:
    // their data ends there while their index, at the front, promises it all.
    // clang-format off
    const std::tuple<QString, QStringList, QString> kinds[] = {
        {"h264-at-1h.ts", small + QStringList{"-c:v", "libx264", "-g", "40", "-output_ts_offset", "3600"}, progressive},
        {"mpeg2.ts", small + QStringList{"-c:v", "mpeg2video", "-g", "40", "-q:v", "3"}, progressive},
        {"h264.mp4", small + QStringList{"-c:v", "libx264", "-g", "40"}, progressive},
        {"h264.mkv", small + QStringList{"-c:v", "libx264", "-g", "40"}, progressive},
        {"music.mp3", small + QStringList{"-map", "1", "-map", "0", "-frames:v", "1", "-c:v", "mjpeg", "-disposition:v", "attached_pic"}, ""},
        {"h264 with cover.mp4", pattern + QStringList{"-f", "lavfi", "-i", "color=c=red:size=320x240:duration=1", "-pix_fmt", "yuv420p", "-map", "0", "-map", "1", "-map", "2", "-frames:v:1", "1", "-c:v:1", "mjpeg", "-disposition:v:1", "attached_pic"}, progressive},
        {"ten-bit-422.mkv", pattern + QStringList{"-c:v", "libx264", "-pix_fmt", "yuv422p10le", "-g", "40"}, progressive},
        {"interlaced.mpg", lavfi("testsrc2=size=320x240:rate=50") + QStringList{"-vf", "interlace=scan=bff:lowpass=off", "-c:v", "mpeg2video", "-flags", "+ilme+ildct", "-q:v", "3"}, "High,yuv420p,bb"},
        {"truncated.mp4", small + QStringList{"-c:v", "libx264", "-g", "40", "-movflags", "+faststart"}, progressive}};
    // clang-format on
    for (const auto& [file, making, picture] : kinds) {
        SCOPED_TRACE(file.toStdString());
        const QString source = folder.filePath(file);
        buildToolOutput("ffmpeg", QStringList{"-y", "-v", "error"} + making + QStringList{source});
        const bool truncated = file.startsWith("truncated");
        ASSERT_TRUE(!truncated || QFile(source).resize(QFileInfo(source).size() / 2));
        const QString verdict =
            runToEnd(VELBORN_APP,
                     {"--start", "2", "--length", "3", "--output", file + " clip.mp4", source},
                     folder.path())
                .verdict();
        const QString clip = folder.filePath(file + " clip.mp4");
        const auto [shown, seconds] = pictureAndSeconds(clip);
        EXPECT_EQ(shown, picture);
        EXPECT_NEAR(seconds, truncated ? dataEnd(source) - 2 : 3, 1.0 / 24);
        const QString said =
            truncated
                ? QString("%1 (shorter than asked: the video ends at %2; the video is damaged)")
                      .arg(durationText(seconds), durationText(2 + seconds))
                : "0:00:03.0";
        EXPECT_EQ(verdict, "Written: " + file + " clip.mp4, " + said);
        if (picture.isEmpty()) {
            EXPECT_EQ(probeMediaFacts(clip), (QStringList{"audio", "3.0"}));
            continue;
        }
        // The clip's first frame is the source's at 2 s, not one beside it.
        const bool interlaced = picture.endsWith("bb");
        const QByteArray first = greyFrame(clip);
        const auto likeness = [&](double frames) {
            const double at = 2.0 + frames / (interlaced ? 25 : 24);
            return psnr(first, greyFrame(source, {"-ss", QString::number(at, 'f', 4)}));
        };
        EXPECT_GT(likeness(0), 35);
        EXPECT_GT(likeness(0), std::max(likeness(-1), likeness(1)));
        EXPECT_TRUE(!interlaced || mostlyBottomFieldFirst(clip));
    }
}
