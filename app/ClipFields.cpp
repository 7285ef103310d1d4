#include "ClipFields.h"

#include "RequiredControl.h"

#include <algorithm>

TimeTexts fieldTextsOf(std::chrono::microseconds time)
{
    const long long total = std::max<long long>(time.count(), 0);
    const long long seconds = total / 1'000'000;
    QString fraction = QStringLiteral("%1").arg(total % 1'000'000, 6, 10, QLatin1Char('0'));
    while (fraction.size() > 1 && fraction.endsWith(u'0'))
        fraction.chop(1);
    return {QString::number(seconds / 3600), QString::number(seconds / 60 % 60),
            QString::number(seconds % 60), fraction};
}

void writeTimeFields(const TimeFieldGroup& group, std::chrono::microseconds time)
{
    const TimeTexts texts = fieldTextsOf(time);
    const std::array<QPointer<QLineEdit>, 4> fields{group.hours, group.minutes, group.seconds,
                                                    group.fraction};
    for (std::size_t field = 0; field < fields.size(); ++field) {
        QLineEdit& edit = requiredControl(fields[field]);
        if (edit.text() != texts[field])
            edit.setText(texts[field]);
    }
}
