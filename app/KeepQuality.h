#pragma once

#include "KeyFrameList.h"
#include "TimeCode.h"

#include <QCheckBox>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <vector>

// The "Keep quality" check box: a copy of the streams, which can only start at
// a key frame. While it is ticked the start fields show the key frame at or
// before what was typed, and the length grows so that the clip ends where it
// did. A video whose key frames cannot be listed disables it.
class KeepQuality : public QObject {
    Q_OBJECT

public:
    explicit KeepQuality(QObject* parent = nullptr);

    // The box and the fields it moves; once, before any file is chosen.
    void connectControls(QCheckBox& box, const TimeFieldGroup& start, const TimeFieldGroup& length);
    // Disables the box until the key frames of `path` are listed.
    void fileChosen(const QString& path);
    // Whether the clip is to be copied; the fields then show the key frame.
    bool snapForExport();

signals:
    // Whether a clip would now be copied: ticked, and the key frames known.
    void copyingChanged(bool copying);

private:
    void keyFramesListed(const QString& path, const KeyFrames& keyFrames);
    void snapFields();
    bool ticked() const;

    QPointer<QCheckBox> box;
    TimeFieldGroup start;
    TimeFieldGroup length;
    bool listed = false; // the key frames of the chosen file are known
    std::vector<std::chrono::microseconds> keyFrames;
    KeyFrameList keyFrameList;
};
