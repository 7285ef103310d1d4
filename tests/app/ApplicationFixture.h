#pragma once

#include "AppDelegate.h"
#include "DropView.h"
#include "MainWindow.h"
#include "SavePanel.h"

#include <gtest/gtest.h>

// The application as main() puts it together, launched but not shown.
class ApplicationFixture : public testing::Test {
protected:
    ApplicationFixture()
    {
        window.connectDelegate(delegate);
        delegate.applicationDidFinishLaunching();
    }

    DropView& dropView() { return *window.dropView(); }

    MainWindow window;
    AppDelegate delegate;
};

// A save panel that a test answers by hand, whenever it likes.
class ScriptedSavePanel : public SavePanel {
public:
    struct Record {
        QString title;
        QStringList types;
        QWidget* window = nullptr;
        Completion completion;
        std::optional<QString> url;
    };

    explicit ScriptedSavePanel(std::shared_ptr<Record> record)
        : record(std::move(record))
    {}

    void setTitle(const QString& title) override { record->title = title; }
    void setAllowedFileTypes(const QStringList& types) override { record->types = types; }
    void beginSheetModalForWindow(QWidget& window, Completion completion) override
    {
        record->window = &window;
        record->completion = std::move(completion);
    }
    std::optional<QString> url() const override { return record->url; }

private:
    std::shared_ptr<Record> record;
};

// Makes every save panel a scripted one; answer() replies to the latest.
class ScriptedSavePanels {
public:
    ScriptedSavePanels()
    {
        setSavePanelFactory([this] {
            records.push_back(std::make_shared<ScriptedSavePanel::Record>());
            return std::make_unique<ScriptedSavePanel>(records.back());
        });
    }
    ~ScriptedSavePanels() { setSavePanelFactory(nullptr); }

    void answer(qint64 response, std::optional<QString> url = std::nullopt)
    {
        const auto record = records.back();
        record->url = std::move(url);
        const auto completion = std::move(record->completion);
        completion(response);
    }

    std::vector<std::shared_ptr<ScriptedSavePanel::Record>> records;
};
