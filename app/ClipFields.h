#pragma once

#include "TimeCode.h"

#include <chrono>

// The texts a group of time fields holds for `time` once normalised: whole
// hours, minutes and seconds below 60 in plain decimal, as normalising writes
// them, and the fraction's digits to the microsecond without trailing zeros
// ("0" for none).
TimeTexts fieldTextsOf(std::chrono::microseconds time);

// Writes them into the group, leaving alone the fields that hold them already.
void writeTimeFields(const TimeFieldGroup& group, std::chrono::microseconds time);
