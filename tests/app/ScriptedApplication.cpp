// The application as main() runs it, on the file its command line names, used
// as a person would: once the duration shows, it asks for the whole file,
// presses Save, chooses $VELBORN_TEST_OUTPUT, and closes the window while the
// clip is written.
#include "Application.h"
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
        QTimer::singleShot(0, &window, [completion] { completion(1); });
    }
    std::optional<QString> url() const override { return output; }
    const QString output = qEnvironmentVariable("VELBORN_TEST_OUTPUT");
};

void useTheWindow()
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [] {
        QWidget* window = QApplication::activeWindow();
        if (window && window->findChild<QLabel*>("statusLabel")->text().startsWith("Writing"))
            window->close();
        else if (window && !window->findChild<QLineEdit*>("durationTextField")->text().isEmpty()) {
            window->findChild<QLineEdit*>("timeMM")->setText("60"); // the whole file
            window->findChild<QPushButton*>("saveClipButton")->click();
        }
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
