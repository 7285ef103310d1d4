#pragma once

#include <QObject>

// Turns SIGTERM, SIGINT and SIGHUP (a log-out, Ctrl+C, a closed terminal) into
// an orderly end: the running programs are stopped and the event loop ends, so
// the clip jobs can remove their unfinished clips. The handler itself only
// writes to a socket; the rest happens on the GUI thread. One instance at most.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    // Once everything is cleaned up: ends the process by the signal caught, so
    // whoever sent it sees the usual status. Returns when none was caught.
    void endByCaughtSignal() const;

private:
    void handleCaughtSignal();

    int caught = 0;
};

// A closed standard output loses the line written to it, not the application.
void ignoreBrokenPipes();
