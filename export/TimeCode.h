#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <array>
#include <chrono>
#include <optional>

// One time value of the window: hours, minutes, seconds, and the digits after
// the decimal point of the seconds.
struct TimeFieldGroup {
    QPointer<QLineEdit> hours;
    QPointer<QLineEdit> minutes;
    QPointer<QLineEdit> seconds;
    QPointer<QLineEdit> fraction;
};

// Normalises the group (seconds of 60 or more carry into the minutes, minutes
// into the hours, and the new numbers are written back into the fields for the
// user to see) and gives the time code HH:MM:SS.FFF for ffmpeg.
QString timeCodeFromFields(const TimeFieldGroup& group);

// The texts of one time value as typed: hours, minutes, seconds, fraction.
using TimeTexts = std::array<QString, 4>;

// The time code timeCodeFromFields would give for fields holding `texts`,
// worked out without writing anything back, so it can follow the typing.
QString timeCodeOfTexts(TimeTexts texts);

// The time that `texts` stand for, to the microsecond: the numbers as the
// fields read them, and the fraction's digits up to the first other character.
// Carrying sixties does not change it.
std::chrono::microseconds timeOfTexts(const TimeTexts& texts);

// A time written as the four fields in one text, [[H:]M:]S[.F], as the command
// line takes it and as time codes are: "1:02:03.5" is 1 hour, 2 minutes,
// 3 seconds and the fraction "5". Nothing for a text that is not one.
std::optional<TimeTexts> timeTextsOf(const QString& text);

// The four field texts that show `time`: hours, minutes and seconds as whole
// numbers with the sixties carried, and the digits after the point to the
// microsecond without trailing zeros ("0" for none). 2.08 s gives "0", "0",
// "2", "08".
TimeTexts timeTextsOfTime(std::chrono::microseconds time);

// Hours, minutes and seconds: "" gives "00", one character gets a leading "0",
// longer texts stay as typed. Lengths count user-perceived characters.
QString padTimeComponent(const QString& text);

// The fraction is the digits after the point, so it is padded on the right
// ("5" means .5 and gives "50"); longer texts stay as typed.
QString padFractionComponent(const QString& text);
