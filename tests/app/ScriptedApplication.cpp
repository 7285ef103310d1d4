// The application used as a person would: once the duration shows, it saves
// the whole file to $VELBORN_TEST_OUTPUT, then closes the window mid-write or,
// given $VELBORN_TEST_DROP, drops that file after the verdict and says
// "answering" on standard error at each look. $VELBORN_TEST_TOOLS stands in
// for its tools; $VELBORN_TEST_STUCK_END keeps its orderly end from finishing.
#include "Application.h"
#include "DropView.h"
#include "ResourceFolder.h"
#include "SavePanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <unistd.h>

namespace {

struct ChosenFilePanel : SavePanel {
    void setTitle(const QString&) override {}
    void setAllowedFileTypes(const QStringList&) override {}
    void beginSheetModalForWindow(QWidget& window, Completion completion) override
    {
        QTimer::singleShot(0, &window, [completion] { completion(1); });
    }
    std::optional<QString> url() const override { return output; }
    const QString output = qEnvironmentVariable("VELBORN_TEST_OUTPUT");
};

void lookAt(QWidget& window, bool& saved, bool& dropped)
{
    const QString status = window.findChild<QLabel*>("statusLabel")->text();
    const QString drop = qEnvironmentVariable("VELBORN_TEST_DROP");
    if (dropped) {
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, "answering\n", 10);
    } else if (saved && drop.isEmpty() && status.startsWith("Writing")) {
        window.close();
    } else if (saved && status.contains("ritten")) {
        dropped = true;
        emit window.findChild<DropView*>()->fileDropped(drop);
    } else if (!saved && !window.findChild<QLineEdit*>("durationTextField")->text().isEmpty()) {
        saved = true;
        window.findChild<QLineEdit*>("timeMM")->setText("60"); // the whole file
        window.findChild<QPushButton*>("saveClipButton")->click();
    }
}

void useTheWindow()
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [saved = false, dropped = false]() mutable {
        if (QWidget* window = QApplication::activeWindow())
            lookAt(*window, saved, dropped);
    });
    poll->start(20);
    if (qEnvironmentVariableIsSet("VELBORN_TEST_STUCK_END"))
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] {
            for (;;)
                ::pause();
        });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(useTheWindow)

int main(int argc, char* argv[])
{
    setSavePanelFactory([] { return std::make_unique<ChosenFilePanel>(); });
    if (qEnvironmentVariableIsSet("VELBORN_TEST_TOOLS"))
        overrideResourceFolder(qEnvironmentVariable("VELBORN_TEST_TOOLS"));
    return applicationMain(argc, argv);
}
