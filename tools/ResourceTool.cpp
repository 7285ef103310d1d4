#include "ResourceTool.h"

#include "ResourceFolder.h"
#include "StandardOutput.h"

#include <QProcess>
#include <QStringDecoder>

namespace {

void reportMissingProgram(const QString& program)
{
    printErrorLine(
        QStringLiteral("velborn-trimlet: no program \"%1\" in %2").arg(program, resourceFolder()));
}

void reportFailedStart(const QString& path, const QString& reason)
{
    printErrorLine(QStringLiteral("velborn-trimlet: cannot start %1: %2").arg(path, reason));
}

void reportKilled(const QString& path, ToolTimeLimit limit)
{
    printErrorLine(QStringLiteral("velborn-trimlet: stopped %1 after %2 ms without an answer")
                       .arg(path)
                       .arg(limit ? limit->count() : 0));
}

int waitArgument(ToolTimeLimit limit)
{
    return limit ? static_cast<int>(limit->count()) : -1;
}

} // namespace

std::optional<QByteArray> runResourceToolBytes(const QString& program, const QStringList& arguments,
                                               ToolTimeLimit limit)
{
    const QString path = pathForResource(program);
    if (path.isEmpty()) {
        reportMissingProgram(program);
        return std::nullopt;
    }

    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(path, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted(-1)) {
        reportFailedStart(path, process.errorString());
        return std::nullopt;
    }

    if (!process.waitForFinished(waitArgument(limit))) {
        process.kill();
        process.waitForFinished(-1);
        reportKilled(path, limit);
        return std::nullopt;
    }
    return process.readAll();
}

std::optional<QString> runResourceTool(const QString& program, const QStringList& arguments,
                                       ToolTimeLimit limit)
{
    const std::optional<QByteArray> output = runResourceToolBytes(program, arguments, limit);
    if (!output)
        return std::nullopt;
    return decodeUtf8(*output);
}

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}
