#include "TimeCode.h"

#include "FieldNumbers.h"
#include "RequiredControl.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

qsizetype graphemeCount(const QString& text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

QString padToTwo(const QString& text, bool padOnRight)
{
    switch (graphemeCount(text)) {
    case 0:
        return QStringLiteral("00");
    case 1:
        return padOnRight ? text + u'0' : u'0' + text;
    default:
        return text;
    }
}

// A field of the group and the number normalising writes into it.
struct FieldWrite {
    std::size_t field;
    std::int64_t value;
};

enum Field : std::size_t { Hours, Minutes, Seconds, Fraction };

// Carries whole sixties of `lower` into `upper`, as the two writes that show it.
// The sums are kept in 64 bits and written exactly, so no input can make them wrap.
void carrySixties(std::int64_t lower, std::int64_t& upper, Field lowerField, Field upperField,
                  std::vector<FieldWrite>& writes)
{
    if (lower < 60)
        return;
    const std::int64_t carried = lower / 60;
    upper += carried;
    writes.push_back({lowerField, lower - 60 * carried});
    writes.push_back({upperField, upper});
}

// Seconds into minutes, then minutes into hours, in the order the fields get them.
std::vector<FieldWrite> normalisingWrites(const TimeTexts& texts)
{
    std::int64_t hours = intValueOfText(texts[Hours]);
    std::int64_t minutes = intValueOfText(texts[Minutes]);
    const std::int64_t seconds = intValueOfText(texts[Seconds]);
    std::vector<FieldWrite> writes;
    carrySixties(seconds, minutes, Seconds, Minutes, writes);
    carrySixties(minutes, hours, Minutes, Hours, writes);
    return writes;
}

QString joinedTimeCode(const TimeTexts& texts)
{
    return padTimeComponent(texts[Hours]) + u':' + padTimeComponent(texts[Minutes]) + u':' +
           padTimeComponent(texts[Seconds]) + u'.' + padFractionComponent(texts[Fraction]);
}

std::int64_t microsecondsOfFraction(const QString& digits)
{
    std::int64_t value = 0;
    std::int64_t scale = 100'000;
    for (qsizetype i = 0;
         i < digits.size() && digits.at(i) >= u'0' && digits.at(i) <= u'9' && scale > 0; ++i) {
        value += (digits.at(i).unicode() - u'0') * scale;
        scale /= 10;
    }
    return value;
}

} // namespace

QString timeCodeFromFields(const TimeFieldGroup& group)
{
    const std::array<QLineEdit*, 4> fields{
        &requiredControl(group.hours), &requiredControl(group.minutes),
        &requiredControl(group.seconds), &requiredControl(group.fraction)};
    TimeTexts texts;
    for (std::size_t i = 0; i < fields.size(); ++i)
        texts[i] = fields[i]->text();
    for (const FieldWrite& write : normalisingWrites(texts)) {
        setIntValue(*fields[write.field], write.value);
        texts[write.field] = fields[write.field]->text();
    }
    return joinedTimeCode(texts);
}

QString timeCodeOfTexts(TimeTexts texts)
{
    for (const FieldWrite& write : normalisingWrites(texts))
        texts[write.field] = QString::number(write.value);
    return joinedTimeCode(texts);
}

std::chrono::microseconds timeOfTexts(const TimeTexts& texts)
{
    using namespace std::chrono;
    return hours(intValueOfText(texts[Hours])) + minutes(intValueOfText(texts[Minutes])) +
           seconds(intValueOfText(texts[Seconds])) +
           microseconds(microsecondsOfFraction(texts[Fraction]));
}

std::optional<TimeTexts> timeTextsOf(const QString& text)
{
    static const QRegularExpression time(
        QStringLiteral("^(?:(?:(\\d+):)?(\\d+):)?(\\d+)(?:\\.(\\d*))?$"));
    const QRegularExpressionMatch parts = time.match(text);
    if (!parts.hasMatch())
        return std::nullopt;
    return TimeTexts{parts.captured(1), parts.captured(2), parts.captured(3), parts.captured(4)};
}

QString padTimeComponent(const QString& text)
{
    return padToTwo(text, false);
}

QString padFractionComponent(const QString& text)
{
    return padToTwo(text, true);
}

TimeTexts timeTextsOfTime(std::chrono::microseconds time)
{
    const long long total = std::max<long long>(time.count(), 0);
    const long long seconds = total / 1'000'000;
    QString fraction = QStringLiteral("%1").arg(total % 1'000'000, 6, 10, QLatin1Char('0'));
    while (fraction.size() > 1 && fraction.endsWith(u'0'))
        fraction.chop(1);
    return {QString::number(seconds / 3600), QString::number(seconds / 60 % 60),
            QString::number(seconds % 60), fraction};
}
