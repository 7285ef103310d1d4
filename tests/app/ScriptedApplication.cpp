// The application as main() runs it, used the way a person would: it drops
// $VELBORN_TEST_INPUT on the window, waits for the duration, presses Save,
// chooses $VELBORN_TEST_OUTPUT and closes the window once the status line has a
// verdict. Tests start it to see what the process as a whole does.
#include "Application.h"
#include "DragEvents.h"
#include "SavePanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

struct ChosenFilePanel : SavePanel {
    void setTitle(const QString&) override {}
    void setAllowedFileTypes(const QStringList&) override {}
    void beginSheetModalForWindow(QWidget& window, Completion completion) override
    {
        QTimer::singleShot(0, &window, [completion = std::move(completion)] { completion(1); });
    }
    std::optional<QString> url() const override
    {
        return qEnvironmentVariable("VELBORN_TEST_OUTPUT");
    }
};

template <typename Control> Control* control(const char* name)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* found = window->findChild<Control*>(name))
            return found;
    }
    return nullptr;
}

QWidget* dropView()
{
    return control<QWidget>("dropView");
}

// Each step waits until it is ready, acts, and hands on to the next.
struct Step {
    std::function<bool()> ready;
    std::function<void()> act;
};

const std::vector<Step> steps = {
    {[] { return dropView() != nullptr && dropView()->isVisible(); },
     [] { dragAndDropFiles(*dropView(), {qEnvironmentVariable("VELBORN_TEST_INPUT")}); }},
    {[] { return !control<QLineEdit>("durationTextField")->text().isEmpty(); },
     [] { control<QPushButton>("saveClipButton")->click(); }},
    {[] { return control<QLabel>("statusLabel")->text().contains("ritten"); },
     [] { dropView()->window()->close(); }},
};

void useTheWindow()
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [next = std::size_t{0}]() mutable {
        if (next < steps.size() && steps[next].ready())
            steps[next++].act();
    });
    poll->start(20);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(useTheWindow)

int main(int argc, char* argv[])
{
    setSavePanelFactory([] { return std::make_unique<ChosenFilePanel>(); });
    return applicationMain(argc, argv);
}
