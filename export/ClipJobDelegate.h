#pragma once

#include <QObject>

class QAbstractButton;
struct ClipVerdict;
class QProgressBar;

// What a clip job needs of the window's owner to end the busy state and to tell
// how the export went. Jobs hold it weakly: a window that has gone away is
// simply left alone.
class ClipJobDelegate : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QProgressBar* clipProgress() const = 0;
    virtual QAbstractButton* saveClipButton() const = 0;
    virtual void showClipProgress(int jobId, int percent) = 0;
    // Once the job's ffmpeg is done; its clip is checked next.
    virtual void clipJobFinished(int jobId) = 0;
    // After the busy state has had its say on the job's end.
    virtual void showClipVerdict(int jobId, const ClipVerdict& verdict) = 0;
};
