#pragma once

#include "TimeCode.h"

#include <chrono>

// Writes the texts that show `time` (timeTextsOfTime) into the group, leaving alone the fields that
// hold them already.
void writeTimeFields(const TimeFieldGroup& group, std::chrono::microseconds time);
