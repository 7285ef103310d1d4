#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class MainWindow;
}
class AppDelegate;
class DropView;

// The one window, built from its Designer form.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    DropView* dropView() const;

    // Hands every control to the delegate and routes the drop area and the save
    // button to it.
    void connectDelegate(AppDelegate& delegate);

private:
    std::unique_ptr<Ui::MainWindow> ui;
};
