#include "MediaClips.h"

#include "TestSupport.h"

#include <cmath>

namespace {

QString makeClip(const QTemporaryDir& folder, const QString& name, const QStringList& encoding)
{
    const QString path = folder.filePath(name);
    buildToolOutput("ffmpeg", QStringList{"-v", "error", "-f", "lavfi", "-i",
                                          "testsrc2=size=320x240:rate=24:duration=10"} +
                                  encoding + QStringList{path});
    return path;
}

} // namespace

const MediaClips& mediaClips()
{
    static const MediaClips* clips = [] {
        auto* made = new MediaClips;
        const QStringList h264{"-c:v", "libx264", "-pix_fmt", "yuv420p", "-sc_threshold", "0"};
        made->everyTwoSeconds =
            makeClip(made->folder, "gop2.mp4", h264 + QStringList{"-g", "48", "-bf", "0"});
        made->withBFrames =
            makeClip(made->folder, "bframes.mp4", h264 + QStringList{"-g", "60", "-bf", "3"});
        made->transport = made->folder.filePath("bframes.ts");
        buildToolOutput("ffmpeg",
                        {"-v", "error", "-i", made->withBFrames, "-c", "copy", made->transport});
        made->soundOnly = made->folder.filePath("sound.m4a");
        makeTestClip(made->soundOnly, 1, "");
        return made;
    }();
    return *clips;
}

QImage ffmpegFrame(const QString& video, std::chrono::microseconds time, QSize size)
{
    const QString scale =
        QString("scale=%1:%2:flags=bicubic,setsar=1").arg(size.width()).arg(size.height());
    // ffmpeg's own seek in MPEG-TS can land past the time; it decodes from the
    // start there instead.
    const QStringList seek{"-ss", QString::number(double(time.count()) / 1e6, 'f', 6)};
    const QStringList input{"-i", video};
    const QStringList from = video.endsWith(".ts") ? input + seek : seek + input;
    return QImage::fromData(
        buildToolOutput("ffmpeg", QStringList{"-v", "error"} + from +
                                      QStringList{"-frames:v", "1", "-vf", scale, "-f",
                                                  "image2pipe", "-c:v", "ppm", "-"}),
        "PPM");
}

double psnr(const QImage& one, const QImage& other)
{
    if (one.size() != other.size() || one.isNull())
        return 0;
    const QImage a = one.convertToFormat(QImage::Format_RGB888);
    const QImage b = other.convertToFormat(QImage::Format_RGB888);
    double squares = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* lineA = a.constScanLine(y);
        const uchar* lineB = b.constScanLine(y);
        for (int x = 0; x < a.width() * 3; ++x)
            squares += (lineA[x] - lineB[x]) * (lineA[x] - lineB[x]);
    }
    const double mean = squares / (a.width() * a.height() * 3.0);
    return mean == 0 ? 100 : 10 * std::log10(255.0 * 255.0 / mean);
}

std::vector<std::chrono::microseconds> ffprobeKeyFrames(const QString& video)
{
    const auto probe = [&](const QStringList& arguments) {
        return QString(buildToolOutput("ffprobe", QStringList{"-v", "error", "-of", "csv=p=0"} +
                                                      arguments + QStringList{video}))
            .split('\n', Qt::SkipEmptyParts);
    };
    const double origin = probe({"-show_entries", "format=start_time"}).value(0).toDouble();
    std::vector<std::chrono::microseconds> times;
    for (const QString& line : probe(
             {"-select_streams", "v:0", "-skip_frame", "nokey", "-show_entries", "frame=pts_time"}))
        times.push_back(secondsAt(line.toDouble() - origin));
    return times;
}
