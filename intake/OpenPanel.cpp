#include "OpenPanel.h"

#include "PixmapCachePause.h"

#include <QFileDialog>

namespace {

const QString videoFilter =
    QStringLiteral("Videos (*.mp4 *.m4v *.mkv *.mov *.webm *.avi *.mpg *.mpeg *.ts *.mts *.m2ts "
                   "*.ogv *.flv *.wmv *.3gp)");

class FileDialogOpenPanel final : public OpenPanel {
public:
    void beginSheetModalForWindow(QWidget& window, Completion completion) override
    {
        auto* dialog = new QFileDialog(&window, QStringLiteral("Open a video"));
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setNameFilters({videoFilter, QStringLiteral("All files (*)")});
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        cacheNoPixmapsWhileAlive(*dialog);
        QObject::connect(dialog, &QFileDialog::finished, dialog,
                         [dialog, completion = std::move(completion)](int result) {
                             const QString chosen = dialog->selectedFiles().value(0);
                             if (result == QDialog::Accepted && !chosen.isEmpty())
                                 completion(chosen);
                             else
                                 completion(std::nullopt);
                         });
        dialog->open();
    }
};

OpenPanelFactory& currentFactory()
{
    static OpenPanelFactory factory;
    return factory;
}

} // namespace

std::unique_ptr<OpenPanel> makeOpenPanel()
{
    if (currentFactory())
        return currentFactory()();
    return std::make_unique<FileDialogOpenPanel>();
}

void setOpenPanelFactory(OpenPanelFactory factory)
{
    currentFactory() = std::move(factory);
}
