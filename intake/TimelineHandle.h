#pragma once

#include <QWidget>

class ClipTimeline;

// One of the timeline's two handles, the clip's start or its end. It takes
// the focus and the keys; the timeline takes the mouse over it. Screen readers
// hear it as a slider whose value is its time in seconds.
class TimelineHandle : public QWidget {
    Q_OBJECT

public:
    TimelineHandle(ClipTimeline& timeline, std::size_t which);

    ClipTimeline& timeline() const { return timeline_; }
    std::size_t which() const { return which_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    ClipTimeline& timeline_;
    std::size_t which_;
};

void installTimelineHandleAccessibility();
