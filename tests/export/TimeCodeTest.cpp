#include "TimeCode.h"
#include "FieldNumbers.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

namespace {

struct TimeCodeCase {
    std::array<const char*, 4> fields; // hours, minutes, seconds, fraction
    const char* writes;                // "field=text " for each write, in order
    const char* timeCode;
};

class TimeCodeFromFields : public testing::TestWithParam<TimeCodeCase> {};

TEST_P(TimeCodeFromFields, NormalisesWritesBackAndFormats)
{
    std::array<QLineEdit, 4> fields;
    QString writes;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i].setText(QString::fromUtf8(GetParam().fields[i]));
        QObject::connect(&fields[i], &QLineEdit::textChanged, [&writes, i](const QString& text) {
            writes += QString("hmsf"[i]) + '=' + text + ' ';
        });
    }
    EXPECT_EQ(timeCodeFromFields({&fields[0], &fields[1], &fields[2], &fields[3]}),
              QString::fromUtf8(GetParam().timeCode));
    EXPECT_EQ(writes, GetParam().writes);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, TimeCodeFromFields, testing::Values(
    TimeCodeCase{{"", "1", "75", "5"}, "s=15 m=2 ", "00:02:15.50"},
    TimeCodeCase{{"0", "59", "60", "250"}, "s=0 m=60 m=0 h=1 ", "01:00:00.250"},
    TimeCodeCase{{"1", "90", "30", "0"}, "m=30 h=2 ", "02:30:30.00"},
    TimeCodeCase{{"123", "5", "7", ""}, "", "123:05:07.00"},
    TimeCodeCase{{"", "", "-5", "1500"}, "", "00:00:-5.1500"},
    TimeCodeCase{{"0", "0", "007", "25"}, "", "00:00:007.25"},
    TimeCodeCase{{"", "", "", ""}, "", "00:00:00.00"},
    TimeCodeCase{{"0", "59", "59", "9"}, "", "00:59:59.90"},
    TimeCodeCase{{"0", "0", "2", "5"}, "", "00:00:02.50"},
    TimeCodeCase{{"99", "120", "0", "0"}, "m=0 h=101 ", "101:00:00.00"},
    TimeCodeCase{{"", "-100", "120", ""}, "s=0 m=-98 ", "00:-98:00.00"},
    TimeCodeCase{{"", "", "ab", ""}, "", "00:00:ab.00"},
    TimeCodeCase{{"", "", "e\xcc\x81", "\xf0\x9f\x91\x8d"}, "", "00:00:0e\xcc\x81.\xf0\x9f\x91\x8d" "0"},
    TimeCodeCase{{"", "2147483647", "120", ""}, "s=0 m=2147483649 m=9 h=35791394 ", "35791394:09:00.00"},
    TimeCodeCase{{"2147483647", "60", "", ""}, "m=0 h=2147483648 ", "2147483648:00:00.00"}));
// clang-format on

TEST(IntValue, ReadsTheLeadingNumberAndSaturates)
{
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    const std::pair<const char*, std::int32_t> cases[] = {{"", 0},
                                                          {"42", 42},
                                                          {" \t7", 7},
                                                          {"+8", 8},
                                                          {"-12", -12},
                                                          {"12ab", 12},
                                                          {"ab", 0},
                                                          {"-", 0},
                                                          {"1 2", 1},
                                                          {"2147483647", max},
                                                          {"99999999999", max},
                                                          {"-2147483648", min},
                                                          {"-99999999999", min}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(intValueOfText(text), value) << text;
}

} // namespace
