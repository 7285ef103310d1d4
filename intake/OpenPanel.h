#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

// The dialog that chooses a video without dragging. It answers once, through
// the completion, with the chosen file or nothing when it was cancelled. Tests
// stand in their own panel through setOpenPanelFactory.
class OpenPanel {
public:
    using Completion = std::function<void(const std::optional<QString>& path)>;

    virtual ~OpenPanel() = default;
    // Shows the panel modal to `window` and returns at once.
    virtual void beginSheetModalForWindow(QWidget& window, Completion completion) = 0;
};

using OpenPanelFactory = std::function<std::unique_ptr<OpenPanel>()>;

// A new panel, from the factory set last or else a real file dialog titled
// "Open a video".
std::unique_ptr<OpenPanel> makeOpenPanel();
void setOpenPanelFactory(OpenPanelFactory factory);
