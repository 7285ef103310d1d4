#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

// The save dialog as the export flow uses it. It answers once, through the
// completion, with a response (1 is OK, anything else cancels); afterwards
// url() is the chosen file, if any. Tests stand in their own panel through
// setSavePanelFactory, so they can answer it without a person.
class SavePanel {
public:
    using Completion = std::function<void(qint64 response)>;

    virtual ~SavePanel() = default;
    virtual void setTitle(const QString& title) = 0;
    virtual void setAllowedFileTypes(const QStringList& types) = 0;
    // Shows the panel modal to `window` and returns at once.
    virtual void beginSheetModalForWindow(QWidget& window, Completion completion) = 0;
    virtual std::optional<QString> url() const = 0;
};

using SavePanelFactory = std::function<std::unique_ptr<SavePanel>()>;

// A new panel, from the factory set last or else a real file dialog.
std::unique_ptr<SavePanel> makeSavePanel();
void setSavePanelFactory(SavePanelFactory factory);
