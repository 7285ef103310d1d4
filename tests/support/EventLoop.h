#pragma once

#include <chrono>
#include <functional>

// Runs the GUI thread's event loop until `done` holds or `limit` has passed;
// gives whether `done` held.
bool processEventsUntil(const std::function<bool()>& done,
                        std::chrono::milliseconds limit = std::chrono::seconds(30));
