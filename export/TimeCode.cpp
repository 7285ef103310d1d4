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

using WriteNumber = std::function<void(TimeField, std::int64_t)>;

// Carries whole sixties of `lower` into `upper`, writing both back. The sums are
// kept in 64 bits and written exactly, so no input can make them wrap.
void carrySixties(std::int64_t lower, std::int64_t& upper, TimeField lowerField,
                  TimeField upperField, const WriteNumber& write)
{
    if (lower < 60)
        return;
    const std::int64_t carried = lower / 60;
    upper += carried;
    write(lowerField, lower - 60 * carried);
    write(upperField, upper);
}

} // namespace

QString timeCodeFromTexts(TimeFieldTexts& texts, const TimeFieldWritten& written)
{
    const WriteNumber write = [&](TimeField field, std::int64_t value) {
        QString& text = field == TimeField::Hours     ? texts.hours
                        : field == TimeField::Minutes ? texts.minutes
                                                      : texts.seconds;
        text = QString::number(value);
        if (written)
            written(field, text);
    };
    std::int64_t hours = intValueOfText(texts.hours);
    std::int64_t minutes = intValueOfText(texts.minutes);
    const std::int64_t seconds = intValueOfText(texts.seconds);
    carrySixties(seconds, minutes, TimeField::Seconds, TimeField::Minutes, write);
    carrySixties(minutes, hours, TimeField::Minutes, TimeField::Hours, write);

    return padTimeComponent(texts.hours) + u':' + padTimeComponent(texts.minutes) + u':' +
           padTimeComponent(texts.seconds) + u'.' + padFractionComponent(texts.fraction);
}

QString timeCodeFromFields(const TimeFieldGroup& group)
{
    QLineEdit& hoursField = requiredControl(group.hours);
    QLineEdit& minutesField = requiredControl(group.minutes);
    QLineEdit& secondsField = requiredControl(group.seconds);
    QLineEdit& fractionField = requiredControl(group.fraction);

    TimeFieldTexts texts{hoursField.text(), minutesField.text(), secondsField.text(),
                         fractionField.text()};
    return timeCodeFromTexts(texts, [&](TimeField field, const QString& text) {
        QLineEdit& written = field == TimeField::Hours     ? hoursField
                             : field == TimeField::Minutes ? minutesField
                                                           : secondsField;
        written.setText(text);
    });
}

QString padTimeComponent(const QString& text)
{
    return padToTwo(text, false);
}

QString padFractionComponent(const QString& text)
{
    return padToTwo(text, true);
}
