#pragma once

#include <signal.h>

// SIGTERM, SIGINT and SIGHUP end the application. Only the main thread takes
// them: a handler that the kernel hands to another thread may wait there for
// as long as that thread sleeps (ThreadSanitizer defers it until the thread
// next calls into its runtime), and the signal is then missed for that long.
sigset_t endingSignals();

// Every thread but the main one calls this first. The main thread calls it
// before any thread starts, so that threads started meanwhile inherit it.
void blockEndingSignals();

// For the main thread, once it has its handlers in place.
void unblockEndingSignals();
