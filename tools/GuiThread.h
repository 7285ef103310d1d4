#pragma once

#include <functional>

// Runs `call` on the GUI thread, queued behind what is already there, and
// returns at once; from any thread, once the application object exists. It
// goes through a queued signal, not a queued functor: a functor is freed by
// whichever side lets go of it last, so a worker could free what the GUI
// thread has just run, and ThreadSanitizer, blind to Qt's own reference
// counts, takes that for a race.
void postToGuiThread(std::function<void()> call);
