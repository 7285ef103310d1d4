#include "TimeCode.h"

#include "FieldNumbers.h"
#include "RequiredControl.h"

#include <QTextBoundaryFinder>

#include <cstdint>

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

// Carries whole sixties of `lower` into `upper`, writing both back. The sums are
// kept in 64 bits and written exactly, so no input can make them wrap.
void carrySixties(std::int64_t lower, std::int64_t& upper, QLineEdit& lowerField,
                  QLineEdit& upperField)
{
    if (lower < 60)
        return;
    const std::int64_t carried = lower / 60;
    upper += carried;
    setIntValue(lowerField, lower - 60 * carried);
    setIntValue(upperField, upper);
}

} // namespace

QString timeCodeFromFields(const TimeFieldGroup& group)
{
    QLineEdit& hoursField = requiredControl(group.hours);
    QLineEdit& minutesField = requiredControl(group.minutes);
    QLineEdit& secondsField = requiredControl(group.seconds);
    QLineEdit& fractionField = requiredControl(group.fraction);

    std::int64_t hours = intValue(hoursField);
    std::int64_t minutes = intValue(minutesField);
    const std::int64_t seconds = intValue(secondsField);

    carrySixties(seconds, minutes, secondsField, minutesField);
    carrySixties(minutes, hours, minutesField, hoursField);

    return padTimeComponent(hoursField.text()) + u':' + padTimeComponent(minutesField.text()) +
           u':' + padTimeComponent(secondsField.text()) + u'.' +
           padFractionComponent(fractionField.text());
}

QString padTimeComponent(const QString& text)
{
    return padToTwo(text, false);
}

QString padFractionComponent(const QString& text)
{
    return padToTwo(text, true);
}
