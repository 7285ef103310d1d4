#pragma once

#include "AppDelegate.h"
#include "MainWindow.h"
#include "OpenPanel.h"
#include "SavePanel.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

// A save panel the test answers by hand, whenever it likes.
struct ScriptedSavePanel : SavePanel {
    void setTitle(const QString& text) override { title = text; }
    void setAllowedFileTypes(const QStringList& list) override { types = list; }
    void beginSheetModalForWindow(QWidget& parent, Completion done) override
    {
        window = &parent;
        completion = std::move(done);
    }
    std::optional<QString> url() const override { return chosen; }

    QString title;
    QStringList types;
    QWidget* window = nullptr;
    Completion completion;
    std::optional<QString> chosen;
};

// An open panel the test answers by hand.
struct ScriptedOpenPanel : OpenPanel {
    void beginSheetModalForWindow(QWidget& parent, Completion done) override
    {
        window = &parent;
        completion = std::move(done);
    }

    QWidget* window = nullptr;
    Completion completion;
};

// The application as main() puts it together, launched but not shown, with
// every save and open panel scripted.
class ApplicationFixture : public testing::Test {
protected:
    ApplicationFixture()
    {
        window.connectDelegate(delegate);
        delegate.applicationDidFinishLaunching();
        setSavePanelFactory([this] {
            panels.push_back(new ScriptedSavePanel);
            return std::unique_ptr<SavePanel>(panels.back());
        });
        setOpenPanelFactory([this] {
            openPanels.push_back(new ScriptedOpenPanel);
            return std::unique_ptr<OpenPanel>(openPanels.back());
        });
    }
    ~ApplicationFixture() override
    {
        setSavePanelFactory(nullptr);
        setOpenPanelFactory(nullptr);
    }

    // Presses Save and answers the dialog at once.
    void saveAs(qint64 response, std::optional<QString> path)
    {
        delegate.saveClip();
        panels.back()->chosen = std::move(path);
        // Moved out: the panel is freed once its answer has been handled.
        const auto completion = std::move(panels.back()->completion);
        completion(response);
    }

    // Start hours, minutes, seconds, fraction, then the same for the length.
    std::array<QLineEdit*, 8> timeFields() const
    {
        return {delegate.startHH(), delegate.startMM(), delegate.startSS(), delegate.startFFF(),
                delegate.timeHH(),  delegate.timeMM(),  delegate.timeSS(),  delegate.timeFFF()};
    }
    void setTimeTexts(const QStringList& texts)
    {
        for (std::size_t i = 0; i < 8; ++i)
            timeFields()[i]->setText(texts[qsizetype(i)]);
    }
    QStringList timeTexts() const
    {
        QStringList texts;
        for (const QLineEdit* field : timeFields())
            texts << field->text();
        return texts;
    }

    MainWindow window;
    AppDelegate delegate;
    std::vector<ScriptedSavePanel*> panels;
    std::vector<ScriptedOpenPanel*> openPanels;
};
