#include "AppDelegate.h"
#include "Application.h"
#include "MainWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velborn Trimlet"));

    MainWindow window;
    AppDelegate delegate;
    window.connectDelegate(delegate);
    return runApplication(window, delegate);
}
