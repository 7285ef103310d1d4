#pragma once

#include "Measures.h"

#include <QString>

// How a row's target reads.
enum class Goal {
    RatioAtMost, // app median / floor median
    AddedAtMost, // app median - floor median, in the row's unit
    ValueAtMost, // the app's median alone, in the row's unit
};

void printHeader(int runs);

// One line of the table from `samples`, or why it is missing; with
// `withSamples`, every run's values follow it. Gives whether the row could be
// measured.
bool printRow(const QString& name, const QString& unit, const Samples& samples, Goal goal,
              double limit, bool withSamples);

void printNotes();
