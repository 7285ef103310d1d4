#include "ClipFields.h"

#include "RequiredControl.h"

void writeTimeFields(const TimeFieldGroup& group, std::chrono::microseconds time)
{
    const TimeTexts texts = timeTextsOfTime(time);
    const std::array<QPointer<QLineEdit>, 4> fields{group.hours, group.minutes, group.seconds,
                                                    group.fraction};
    for (std::size_t field = 0; field < fields.size(); ++field) {
        QLineEdit& edit = requiredControl(fields[field]);
        if (edit.text() != texts[field])
            edit.setText(texts[field]);
    }
}
