#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <functional>

// One time value of the window: hours, minutes, seconds, and the digits after
// the decimal point of the seconds.
struct TimeFieldGroup {
    QPointer<QLineEdit> hours;
    QPointer<QLineEdit> minutes;
    QPointer<QLineEdit> seconds;
    QPointer<QLineEdit> fraction;
};

// The texts of one time value, as typed or given on the command line.
struct TimeFieldTexts {
    QString hours;
    QString minutes;
    QString seconds;
    QString fraction;
};

enum class TimeField { Hours, Minutes, Seconds };
using TimeFieldWritten = std::function<void(TimeField field, const QString& text)>;

// Normalises the texts: seconds of 60 or more carry into the minutes, minutes
// into the hours, and each new number is written back, and handed to
// `written`, seconds before minutes before hours. Gives the time code
// HH:MM:SS.FFF for ffmpeg.
QString timeCodeFromTexts(TimeFieldTexts& texts, const TimeFieldWritten& written = {});

// Normalises the group (seconds of 60 or more carry into the minutes, minutes
// into the hours, and the new numbers are written back into the fields for the
// user to see) and gives the time code HH:MM:SS.FFF for ffmpeg.
QString timeCodeFromFields(const TimeFieldGroup& group);

// Hours, minutes and seconds: "" gives "00", one character gets a leading "0",
// longer texts stay as typed. Lengths count user-perceived characters.
QString padTimeComponent(const QString& text);

// The fraction is the digits after the point, so it is padded on the right
// ("5" means .5 and gives "50"); longer texts stay as typed.
QString padFractionComponent(const QString& text);
