#include "DurationText.h"

#include <QRegularExpression>
#include <QStringList>

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

std::optional<double> secondsOfDurationText(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d+):(\\d+):(\\d+)\\.(\\d+)$"));
    const QRegularExpressionMatch parts = form.match(text);
    if (!parts.hasMatch())
        return std::nullopt;
    return parts.captured(1).toDouble() * 3600 + parts.captured(2).toDouble() * 60 +
           parts.captured(3).toDouble() + parts.captured(4).toDouble() / stepsPerSecond;
}
