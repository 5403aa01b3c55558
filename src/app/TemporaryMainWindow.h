// A stand-in for the main window until the real one exists: the picture
// strip, "About" and "Exit". Closing it ends the program.
#pragma once

#include <QWidget>

namespace morvane {

struct AppContext;

class TemporaryMainWindow : public QWidget {
    Q_OBJECT
public:
    explicit TemporaryMainWindow(AppContext& context);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppContext& context_;
};

} // namespace morvane
