#include "SavePanel.h"

#include "PixmapCachePause.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

namespace {

// As the platform's save panel does: a name that does not end in the file
// type's suffix gets it, "x.mov" becoming "x.mov.mp4".
QString withTypeSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || suffix.isEmpty() || QFileInfo(path).isDir() ||
        path.endsWith(u'.' + suffix, Qt::CaseInsensitive))
        return path;
    return path + u'.' + suffix;
}

// Adds the suffix before the dialog asks whether to replace a file, so that
// it asks about the file the clip will replace.
class ClipFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QString chosen = selectedFiles().value(0);
        const QString typed = withTypeSuffix(chosen, defaultSuffix());
        if (typed != chosen)
            selectFile(typed);
        QFileDialog::accept();
    }
};

// A window-modal QFileDialog: the dialog, not the export flow, adds the
// extension to a name typed without one.
class FileDialogSavePanel final : public SavePanel {
public:
    void setTitle(const QString& title) override { this->title = title; }

    void setAllowedFileTypes(const QStringList& types) override { this->types = types; }

    void beginSheetModalForWindow(QWidget& window, Completion completion) override
    {
        auto* dialog = new ClipFileDialog(&window, title);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        cacheNoPixmapsWhileAlive(*dialog);
        if (!types.isEmpty()) {
            dialog->setNameFilter(nameFilter());
            dialog->setDefaultSuffix(types.first());
        }
        QObject::connect(dialog, &QFileDialog::finished, dialog,
                         [this, dialog, completion = std::move(completion)](int result) {
                             chosen = withTypeSuffix(dialog->selectedFiles().value(0),
                                                     dialog->defaultSuffix());
                             completion(result); // QDialog::Accepted is 1, the OK answer
                         });
        dialog->open();
    }

    // Accepted with no name typed, the dialog gives its folder: no file was chosen.
    std::optional<QString> url() const override
    {
        if (chosen.isEmpty() || QFileInfo(chosen).isDir())
            return std::nullopt;
        return chosen;
    }

private:
    QString nameFilter() const
    {
        QStringList patterns;
        for (const QString& type : types)
            patterns << QStringLiteral("*.") + type;
        return QStringLiteral("%1 (%2)").arg(types.join(u'/').toUpper(), patterns.join(u' '));
    }

    QString title;
    QStringList types;
    QString chosen;
};

SavePanelFactory& currentFactory()
{
    static SavePanelFactory factory;
    return factory;
}

} // namespace

std::unique_ptr<SavePanel> makeSavePanel()
{
    if (currentFactory())
        return currentFactory()();
    return std::make_unique<FileDialogSavePanel>();
}

void setSavePanelFactory(SavePanelFactory factory)
{
    currentFactory() = std::move(factory);
}
