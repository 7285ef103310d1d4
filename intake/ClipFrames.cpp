#include "ClipFrames.h"

#include <QStringList>

namespace {

QStringList timesOf(const ClipFrames& frames, bool withPicture)
{
    QStringList times;
    for (const ClipFrame* frame : {&frames.first, &frames.last}) {
        if (frame->picture.isNull() != withPicture)
            times << frame->time;
    }
    return times;
}

} // namespace

QString noPictureText(const ClipFrames& frames)
{
    const QStringList times = timesOf(frames, false);
    return times.isEmpty() ? QString()
                           : QStringLiteral("No picture at ") + times.join(QStringLiteral(" and "));
}

QString framesDescription(const ClipFrames& frames)
{
    const QStringList times = timesOf(frames, true);
    QStringList said;
    if (!times.isEmpty())
        said << (times.size() == 2 ? QStringLiteral("Frames at ") : QStringLiteral("Frame at ")) +
                    times.join(QStringLiteral(" and "));
    if (const QString missing = noPictureText(frames); !missing.isEmpty())
        said << missing;
    return said.join(QStringLiteral(". "));
}
