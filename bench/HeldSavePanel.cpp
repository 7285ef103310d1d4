#include "HeldSavePanel.h"

#include "EventLoop.h"
#include "SavePanel.h"

#include <QDialog>

#include <utility>

namespace {

// Kept here and not in the panel, which the completion holds.
SavePanel::Completion heldCompletion;
QString chosenPath;

struct HeldSavePanel : SavePanel {
    void setTitle(const QString&) override {}
    void setAllowedFileTypes(const QStringList&) override {}
    void beginSheetModalForWindow(QWidget&, Completion completion) override
    {
        heldCompletion = std::move(completion);
    }
    std::optional<QString> url() const override { return chosenPath; }
};

} // namespace

void holdSavePanels()
{
    setSavePanelFactory([] { return std::make_unique<HeldSavePanel>(); });
}

void pressOk(const QString& path)
{
    if (!heldCompletion)
        fail(QStringLiteral("the save button opened no save panel"));
    chosenPath = path;
    // The completion holds the panel: both are let go of once it has run.
    std::exchange(heldCompletion, nullptr)(QDialog::Accepted);
}
