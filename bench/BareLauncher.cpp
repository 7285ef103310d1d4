// The floor of the command-line cut's start-up: a QCoreApplication that links
// Qt Core and nothing else, starts the program it is given and waits for it.
#include <QCoreApplication>
#include <QProcess>

int main(int argc, char* argv[])
{
    const QCoreApplication bare(argc, argv);
    if (argc != 2)
        return 2;
    QProcess process;
    process.start(QString::fromLocal8Bit(argv[1]), {});
    return process.waitForFinished(-1) ? 0 : 1;
}
