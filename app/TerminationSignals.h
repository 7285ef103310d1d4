#pragma once

#include <QObject>

// Turns SIGTERM, SIGINT and SIGHUP (a log-out, Ctrl+C, a closed terminal) into
// an orderly end: the running programs are stopped at once and the event loop
// ends, so the clip jobs can remove their unfinished clips. Whatever the
// threads do meanwhile, the process ends by that signal within 1.5 s. A signal
// ignored when the application started (nohup) stays ignored. Only the main
// thread takes these signals; it makes one instance at most.
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
};

// A closed standard output loses the lines written to it, not the application.
void ignoreBrokenPipes();
