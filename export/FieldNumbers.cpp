#include "FieldNumbers.h"

#include <QLineEdit>

#include <limits>

std::int32_t intValueOfText(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;

    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }

    // Accumulate toward the sign so the most negative value is reachable.
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t highest = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        const int digit = text.at(i).unicode() - u'0';
        value = value * 10 + (negative ? -digit : digit);
        if (value < lowest)
            return std::numeric_limits<std::int32_t>::min();
        if (value > highest)
            return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t intValue(const QLineEdit& field)
{
    return intValueOfText(field.text());
}

void setIntValue(QLineEdit& field, std::int64_t value)
{
    field.setText(QString::number(value));
}
