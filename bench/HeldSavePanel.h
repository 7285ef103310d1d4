#pragma once

#include <QString>

// Makes every save panel from now on a stand-in for the save dialog: it keeps
// its completion until pressOk() answers it with OK and `path`.
void holdSavePanels();

// Fails (EventLoop.h) unless a held panel is waiting for its answer.
void pressOk(const QString& path);
