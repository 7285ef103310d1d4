#include "FfmpegTime.h"

#include <QRegularExpression>

namespace {

constexpr int longestHours = 9999;

bool isPastLongest(const QString& hours)
{
    QString digits = hours;
    while (digits.size() > 1 && digits.startsWith(u'0'))
        digits.remove(0, 1);
    return digits.size() > 4 || digits.toInt() > longestHours;
}

bool isSexagesimal(const QString& digits)
{
    return digits.size() <= 2 && digits.toInt() < 60;
}

} // namespace

std::optional<QString> whyFfmpegRefusesTime(const QString& timeCode)
{
    static const QRegularExpression time(
        QStringLiteral("^-?([0-9]+):([0-9]+):([0-9]+)(?:\\.[0-9]*)?$"));
    const QRegularExpressionMatch parts = time.match(timeCode);
    if (parts.hasMatch() && isPastLongest(parts.captured(1)))
        return QStringLiteral("is past the longest time ffmpeg takes");
    if (!parts.hasMatch() || parts.capturedLength(1) > 4 || !isSexagesimal(parts.captured(2)) ||
        !isSexagesimal(parts.captured(3)))
        return QStringLiteral("is not a time ffmpeg takes");
    return std::nullopt;
}

QString shownTimeCode(const QString& timeCode)
{
    static const QRegularExpression zeroFraction(QStringLiteral("\\.0*$"));
    return QString(timeCode).remove(zeroFraction);
}
