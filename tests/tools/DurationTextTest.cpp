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

// clang-format off
INSTANTIATE_TEST_SUITE_P(WorkedValues, DurationText, testing::Values(
    Conversion{"format,0:01:23.500000\n", "0:01:23.12"}, Conversion{"format,1:02:03.999999", "1:02:03.23"},
    Conversion{"format,0:00:10.000000\n", "0:00:10.0"}, Conversion{"format,0:00:05.041667", "0:00:05.1"},
    Conversion{"format,0:00:05.041666", "0:00:05.0"}, Conversion{"format,N/A", "N/A.0"},
    Conversion{"format,0:00:10", "0:00:10.0"}, Conversion{"format, 0:00:10.5", "0:00:10.0"},
    Conversion{"0:00:10.000000", "0:00:10.000000"}, Conversion{",,0:00:01.000000", ",,0:00:01.000000"},
    Conversion{"a,b,c", "b.0"}, Conversion{"format,0:00:10.5.7", "0:00:10.0"},
    Conversion{" \t\r\n ", ""}, Conversion{"form at,\t0:00:\r01.5000\n00\n", "0:00:01.12"}));

// Fractions that are not a plain 64-bit decimal count as 0; large ones stay exact.
INSTANTIATE_TEST_SUITE_P(OddFractions, DurationText, testing::Values(
    Conversion{"f,1.12x", "1.0"}, Conversion{"f,1.-500000", "1.-12"}, Conversion{"f,1.+500000", "1.12"},
    Conversion{"f,1.+-5", "1.0"}, Conversion{"f,1.--1", "1.0"}, Conversion{"f,1.+", "1.0"},
    Conversion{"f,1.٥٠٠٠٠٠", "1.0"}, Conversion{"f,1.9223372036854775808", "1.0"},
    Conversion{"f,1.9223372036854775807", "1.221360928884514"},
    Conversion{"f,1.-9223372036854775808", "1.-221360928884514"},
    Conversion{"f,...", "f,..."}, Conversion{"f, . \n", "f,."}));
// clang-format on

} // namespace
