#pragma once

#include <QObject>
#include <QPixmapCache>

// Qt caches each drawing of an icon under a key made from that icon's own
// pixmap, and every file dialog builds its icons anew: what a closed dialog left
// in the cache is never asked for again, and even QPixmapCache::clear() keeps
// its keys. So nothing is cached while a file dialog lives; drawing its few
// icons again costs less than the 15 KB a dialog can leave behind.
inline void cacheNoPixmapsWhileAlive(const QObject& dialog)
{
    static int alive = 0;
    static int limit = 0;
    if (alive++ == 0) {
        limit = QPixmapCache::cacheLimit();
        QPixmapCache::setCacheLimit(0);
    }
    QObject::connect(&dialog, &QObject::destroyed, [] {
        if (--alive == 0)
            QPixmapCache::setCacheLimit(limit);
    });
}
