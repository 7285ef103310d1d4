#include "FrameFetch.h"

#include "ResourceTool.h"

#include <algorithm>

namespace {

using std::chrono::microseconds;

// Fits the frame into `size` as it is shown, pixels of any shape made square.
QString scaleFilter(QSize size)
{
    return QStringLiteral("scale=w='min(%1,%2*dar)':h='min(%2,%1/dar)',setsar=1")
        .arg(std::max(size.width(), 1))
        .arg(std::max(size.height(), 1));
}

QString seconds(microseconds time)
{
    return QStringLiteral("%1.%2")
        .arg(time.count() / 1'000'000)
        .arg(time.count() % 1'000'000, 6, 10, QLatin1Char('0'));
}

// Quiet, because its messages would share the channel with the picture.
QStringList quietly(const QStringList& input)
{
    return QStringList{QStringLiteral("-v"), QStringLiteral("quiet")} + input;
}

QStringList pictureOut(const QString& filter)
{
    return {QStringLiteral("-vf"),       filter,
            QStringLiteral("-frames:v"), QStringLiteral("1"),
            QStringLiteral("-f"),        QStringLiteral("image2pipe"),
            QStringLiteral("-c:v"),      QStringLiteral("ppm"),
            QStringLiteral("-")};
}

} // namespace

QStringList frameAtArguments(const QString& video, const QString& timeCode, QSize size)
{
    return quietly({QStringLiteral("-ss"), timeCode, QStringLiteral("-i"), video}) +
           pictureOut(scaleFilter(size));
}

// The second before `end` is decoded and played backwards, so its last frame
// comes out first; its frames are scaled before they are held.
QStringList frameBeforeArguments(const QString& video, std::optional<microseconds> end, QSize size)
{
    QStringList input{QStringLiteral("-sseof"), QStringLiteral("-1")};
    if (end) {
        const microseconds until = std::max(*end, microseconds(0));
        const microseconds span = std::min(until, microseconds(1'000'000));
        input = {QStringLiteral("-ss"), seconds(until - span), QStringLiteral("-t"), seconds(span)};
    }
    return quietly(input + QStringList{QStringLiteral("-i"), video}) +
           pictureOut(scaleFilter(size) + QStringLiteral(",reverse"));
}

QImage fetchFrame(const QStringList& arguments, const std::stop_token& stop)
{
    const ToolRun run = runResourceToolToEnd(QStringLiteral("ffmpeg"), arguments,
                                             ToolRunOptions{frameTimeLimit, stop, {}, false});
    if (!run.answered())
        return {};
    return QImage::fromData(run.output, "PPM");
}
