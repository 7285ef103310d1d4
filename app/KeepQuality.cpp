#include "KeepQuality.h"

#include "KeyFrameSnap.h"
#include "RequiredControl.h"

#include <QFileInfo>
#include <QLineEdit>

#include <array>

namespace {

std::array<QLineEdit*, 4> fieldsOf(const TimeFieldGroup& group)
{
    return {&requiredControl(group.hours), &requiredControl(group.minutes),
            &requiredControl(group.seconds), &requiredControl(group.fraction)};
}

TimeTexts textsOf(const TimeFieldGroup& group)
{
    const std::array<QLineEdit*, 4> fields = fieldsOf(group);
    return {fields[0]->text(), fields[1]->text(), fields[2]->text(), fields[3]->text()};
}

void show(const TimeFieldGroup& group, std::chrono::microseconds time)
{
    const std::array<QLineEdit*, 4> fields = fieldsOf(group);
    const TimeTexts texts = timeTextsOfTime(time);
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i]->setText(texts[i]);
}

const QString copyTip =
    QStringLiteral("Copy the video and audio as they are, without re-encoding: quick and "
                   "lossless, but the clip starts at the key frame at or before the start");

} // namespace

KeepQuality::KeepQuality(QObject* parent)
    : QObject(parent)
{}

void KeepQuality::connectControls(QCheckBox& box, const TimeFieldGroup& start,
                                  const TimeFieldGroup& length)
{
    this->box = &box;
    this->start = start;
    this->length = length;
    box.setChecked(false);
    box.setToolTip(copyTip);
    connect(&box, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            snapFields();
        emit copyingChanged(ticked());
    });
    // Snapped once the person has typed the start, never under their fingers.
    for (QLineEdit* field : fieldsOf(start))
        connect(field, &QLineEdit::editingFinished, this, [this] {
            if (ticked())
                snapFields();
        });
}

void KeepQuality::fileChosen(const QString& path)
{
    listed = false;
    keyFrames.clear();
    QCheckBox& checkBox = requiredControl(box);
    checkBox.setEnabled(false);
    checkBox.setToolTip(
        QStringLiteral("Listing the key frames of %1…").arg(QFileInfo(path).fileName()));
    emit copyingChanged(false);
    keyFrameList.list(path, [this](const QString& path, const KeyFrames& keyFrames) {
        keyFramesListed(path, keyFrames);
    });
}

bool KeepQuality::snapForExport()
{
    if (!ticked())
        return false;
    snapFields();
    return true;
}

void KeepQuality::keyFramesListed(const QString& path, const KeyFrames& listedKeyFrames)
{
    QCheckBox& checkBox = requiredControl(box);
    if (!listedKeyFrames.known) {
        // A box that stays ticked but disabled would promise a copy.
        checkBox.setChecked(false);
        checkBox.setToolTip(QStringLiteral("%1 keeps no index of its key frames, so a clip of "
                                           "it can only be re-encoded")
                                .arg(QFileInfo(path).fileName()));
        return;
    }
    listed = true;
    keyFrames = listedKeyFrames.times;
    checkBox.setEnabled(true);
    checkBox.setToolTip(copyTip);
    if (ticked())
        snapFields();
    emit copyingChanged(ticked());
}

void KeepQuality::snapFields()
{
    if (!listed)
        return;
    const CutTimes typed{timeOfTexts(textsOf(start)), timeOfTexts(textsOf(length))};
    const CutTimes snapped = snappedToKeyFrame(keyFrames, typed);
    if (snapped.start == typed.start)
        return;
    show(start, snapped.start);
    show(length, snapped.length);
}

bool KeepQuality::ticked() const
{
    return box && box->isChecked() && box->isEnabled() && listed;
}
