#pragma once

#include <QPointer>

#include <cstdlib>

// Every control is connected before anything runs, so one found missing is a
// programming error: stop at once rather than limp on with a half-wired window.
template <typename Control> Control& requiredControl(const QPointer<Control>& control)
{
    if (control.isNull())
        std::abort();
    return *control;
}
