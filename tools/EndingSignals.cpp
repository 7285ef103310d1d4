#include "EndingSignals.h"

#include <pthread.h>

sigset_t endingSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

void blockEndingSignals()
{
    const sigset_t set = endingSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void unblockEndingSignals()
{
    const sigset_t set = endingSignals();
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}
