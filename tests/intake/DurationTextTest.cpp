#include "DurationText.h"

#include <gtest/gtest.h>

namespace {

struct Conversion {
    const char* answer;
    const char* text;
};

class DurationText : public testing::TestWithParam<Conversion> {};

TEST_P(DurationText, ConvertsTheProbeAnswer)
{
    EXPECT_EQ(durationTextFromProbeOutput(QString::fromUtf8(GetParam().answer)),
              QString::fromUtf8(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, DurationText,
                         testing::Values(Conversion{"format,0:01:23.500000\n", "0:01:23.12"},
                                         Conversion{"format,0:00:10.000000\n", "0:00:10.0"},
                                         Conversion{"format,1:02:03.999999", "1:02:03.23"},
                                         Conversion{"format,0:00:05.041667", "0:00:05.1"},
                                         Conversion{"format,0:00:05.041666", "0:00:05.0"},
                                         Conversion{"format,N/A", "N/A.0"},
                                         Conversion{"format,0:00:10", "0:00:10.0"},
                                         Conversion{"format, 0:00:10.5", "0:00:10.0"},
                                         Conversion{"0:00:10.000000", "0:00:10.000000"},
                                         Conversion{",,0:00:01.000000", ",,0:00:01.000000"},
                                         Conversion{"a,b,c", "b.0"},
                                         Conversion{"format,0:00:10.5.7", "0:00:10.0"},
                                         Conversion{"", ""}, Conversion{" \t\r\n ", ""}));

INSTANTIATE_TEST_SUITE_P(Whitespace, DurationText,
                         testing::Values(Conversion{"form at,\t0:00:\r01.5000\n00\n", "0:00:01.12"},
                                         Conversion{"format\n,0:00:02.000000\nformat,9:99:99.0\n",
                                                    "0:00:02.0"},
                                         Conversion{"format,,,0:00:03.041667,,", "0:00:03.1"}));

INSTANTIATE_TEST_SUITE_P(
    UnreadableFractions, DurationText,
    testing::Values(Conversion{"format,0:00:01.12x", "0:00:01.0"},
                    Conversion{"format,0:00:01.-500000", "0:00:01.-12"},
                    Conversion{"format,0:00:01.+500000", "0:00:01.12"},
                    Conversion{"format,0:00:01.+-500000", "0:00:01.0"},
                    Conversion{"format,0:00:01.--1", "0:00:01.0"},
                    Conversion{"format,0:00:01.+", "0:00:01.0"},
                    Conversion{"format,0:00:01.٥٠٠٠٠٠", "0:00:01.0"},
                    Conversion{"format,0:00:01.9223372036854775808", "0:00:01.0"},
                    Conversion{"format,0:00:01.99999999999999999999999", "0:00:01.0"}));

// N × 24 leaves 64 bits here; the count must still be exact, not wrapped.
INSTANTIATE_TEST_SUITE_P(
    LargeFractions, DurationText,
    testing::Values(Conversion{"format,0:00:01.9223372036854775807", "0:00:01.221360928884514"},
                    Conversion{"format,0:00:01.-9223372036854775808", "0:00:01.-221360928884514"},
                    Conversion{"format,0:00:01.1000000000000", "0:00:01.24000000"}));

INSTANTIATE_TEST_SUITE_P(PointsOnly, DurationText,
                         testing::Values(Conversion{"format,...", "format,..."},
                                         Conversion{"format,.", "format,."},
                                         Conversion{"format, . \n", "format,."}));

} // namespace
