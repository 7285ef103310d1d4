#include "TimeCode.h"
#include "FieldNumbers.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace {

struct TimeCodeCase {
    const char* name;
    std::array<const char*, 4> fields; // hours, minutes, seconds, fraction
    QStringList writes;                // "field=text", in the order written
    const char* timeCode;
};

// Four real fields that record every text written into them by the code.
class TimeFields {
public:
    explicit TimeFields(const std::array<const char*, 4>& texts)
    {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            fields[i].setText(QString::fromUtf8(texts[i]));
            QObject::connect(&fields[i], &QLineEdit::textChanged, [this, i](const QString& text) {
                writes << QStringLiteral("%1=%2").arg(names[i], text);
            });
        }
    }

    TimeFieldGroup group() { return {&fields[0], &fields[1], &fields[2], &fields[3]}; }

    QStringList writes;
    std::array<QLineEdit, 4> fields;

private:
    static constexpr std::array<const char*, 4> names{"h", "m", "s", "f"};
};

class TimeCodeFromFields : public testing::TestWithParam<TimeCodeCase> {};

TEST_P(TimeCodeFromFields, NormalisesWritesBackAndFormats)
{
    TimeFields fields(GetParam().fields);
    EXPECT_EQ(timeCodeFromFields(fields.group()), QString::fromUtf8(GetParam().timeCode));
    EXPECT_EQ(fields.writes, GetParam().writes);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, TimeCodeFromFields,
    testing::Values(
        TimeCodeCase{"SecondsCarry", {"", "1", "75", "5"}, {"s=15", "m=2"}, "00:02:15.50"},
        TimeCodeCase{
            "BothCarry", {"0", "59", "60", "250"}, {"s=0", "m=60", "m=0", "h=1"}, "01:00:00.250"},
        TimeCodeCase{"MinutesCarry", {"1", "90", "30", "0"}, {"m=30", "h=2"}, "02:30:30.00"},
        TimeCodeCase{"LongHours", {"123", "5", "7", ""}, {}, "123:05:07.00"},
        TimeCodeCase{"NegativeSeconds", {"", "", "-5", "1500"}, {}, "00:00:-5.1500"},
        TimeCodeCase{"LeadingZerosKept", {"0", "0", "007", "25"}, {}, "00:00:007.25"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, TimeCodeFromFields,
    testing::Values(
        TimeCodeCase{"AllEmpty", {"", "", "", ""}, {}, "00:00:00.00"},
        TimeCodeCase{"SixtySeconds", {"", "", "60", ""}, {"s=0", "m=1"}, "00:01:00.00"},
        TimeCodeCase{"FiftyNines", {"0", "59", "59", "9"}, {}, "00:59:59.90"},
        TimeCodeCase{"HoursGrowPast99", {"99", "120", "0", "0"}, {"m=0", "h=101"}, "101:00:00.00"},
        TimeCodeCase{"HalfASecond", {"0", "0", "2", "5"}, {}, "00:00:02.50"},
        TimeCodeCase{"LettersOnly", {"", "", "ab", ""}, {}, "00:00:ab.00"},
        TimeCodeCase{
            "NegativeMinutesCarried", {"", "-100", "120", ""}, {"s=0", "m=-98"}, "00:-98:00.00"},
        TimeCodeCase{
            "CombiningAccentIsOneCharacter", {"", "", "e\xcc\x81", ""}, {}, "00:00:0e\xcc\x81.00"},
        TimeCodeCase{"EmojiIsOneCharacter",
                     {"", "", "", "\xf0\x9f\x91\x8d"},
                     {},
                     "00:00:00.\xf0\x9f\x91\x8d"
                     "0"},
        TimeCodeCase{"CarryPast32Bits",
                     {"", "2147483647", "120", ""},
                     {"s=0", "m=2147483649", "m=9", "h=35791394"},
                     "35791394:09:00.00"},
        TimeCodeCase{"HoursPast32Bits",
                     {"2147483647", "60", "", ""},
                     {"m=0", "h=2147483648"},
                     "2147483648:00:00.00"}),
    [](const auto& info) { return std::string(info.param.name); });

struct IntValueCase {
    const char* text;
    std::int32_t value;
};

class IntValueOfText : public testing::TestWithParam<IntValueCase> {};

TEST_P(IntValueOfText, ReadsLeadingDecimalNumber)
{
    EXPECT_EQ(intValueOfText(QString::fromUtf8(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntValueOfText,
    testing::Values(IntValueCase{"", 0}, IntValueCase{"42", 42}, IntValueCase{"  \t7", 7},
                    IntValueCase{"+8", 8}, IntValueCase{"-12", -12}, IntValueCase{"12abc", 12},
                    IntValueCase{"abc", 0}, IntValueCase{"-", 0}, IntValueCase{"1 2", 1},
                    IntValueCase{"2147483647", std::numeric_limits<std::int32_t>::max()},
                    IntValueCase{"99999999999999", std::numeric_limits<std::int32_t>::max()},
                    IntValueCase{"-2147483648", std::numeric_limits<std::int32_t>::min()},
                    IntValueCase{"-99999999999999", std::numeric_limits<std::int32_t>::min()}));

} // namespace
