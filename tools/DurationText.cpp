#include "DurationText.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>

namespace {

constexpr std::int64_t stepsPerSecond = 24;
constexpr std::int64_t fractionScale = 1'000'000;

QString withoutWhitespace(const QString& text)
{
    QString compact;
    compact.reserve(text.size());
    for (const QChar c : text) {
        if (c != u' ' && c != u'\n' && c != u'\t' && c != u'\r')
            compact.append(c);
    }
    return compact;
}

// A signed decimal integer and nothing else: an optional sign, then digits.
std::optional<std::int64_t> parseDecimalInt64(const QString& text)
{
    const QByteArray latin = text.toLatin1();
    const char* first = latin.constData();
    const char* last = first + latin.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-')
            return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

// N millionths of a second in whole 24ths, truncated toward zero. Splitting N
// into whole seconds and the rest keeps every product within 64 bits.
std::int64_t stepsFromMillionths(std::int64_t millionths)
{
    const std::int64_t seconds = millionths / fractionScale;
    const std::int64_t rest = millionths % fractionScale;
    return seconds * stepsPerSecond + rest * stepsPerSecond / fractionScale;
}

} // namespace

QString durationTextFromProbeOutput(const QString& output)
{
    const QString compact = withoutWhitespace(output);
    const QStringList fields = compact.split(u',', Qt::SkipEmptyParts);
    if (fields.size() < 2)
        return compact;

    const QStringList pieces = fields.at(1).split(u'.', Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return compact;

    std::int64_t steps = 0;
    if (pieces.size() >= 2)
        steps = stepsFromMillionths(parseDecimalInt64(pieces.at(1)).value_or(0));
    return pieces.at(0) + u'.' + QString::number(steps);
}

QString durationTextOf(std::chrono::microseconds time)
{
    const std::int64_t micro = std::max<std::int64_t>(time.count(), 0);
    const std::int64_t seconds = micro / fractionScale;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(stepsFromMillionths(micro % fractionScale));
}

std::optional<std::chrono::microseconds> timeOfDurationText(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,9}):(\\d\\d):(\\d\\d)\\.(\\d{1,2})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto number = [&match](int field) { return match.captured(field).toLongLong(); };
    const std::int64_t seconds = (number(1) * 60 + number(2)) * 60 + number(3);
    // Rounded up, so that the time is written back as the same text.
    const std::int64_t steps = number(4);
    return std::chrono::microseconds(seconds * fractionScale +
                                     (steps * fractionScale + stepsPerSecond - 1) / stepsPerSecond);
}
