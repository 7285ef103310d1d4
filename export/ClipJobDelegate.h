#pragma once

#include <QObject>

class QAbstractButton;
class QProgressBar;

// What a clip job needs of the window's owner to end the busy state. Jobs hold
// it weakly: a window that has gone away is simply left alone.
class ClipJobDelegate : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QProgressBar* clipProgress() const = 0;
    virtual QAbstractButton* saveClipButton() const = 0;
};
