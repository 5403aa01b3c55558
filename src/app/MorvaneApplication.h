// The application object. Its event dispatch is where an exception thrown by
// a handler stops: Qt cannot carry one through its event loop, so it is
// caught there, kept, and the event loop is told to end; the start-up
// sequence then reports it and shuts down in order.
#pragma once

#include <QApplication>
#include <QString>

#include <optional>

namespace morvane {

class MorvaneApplication : public QApplication {
public:
    MorvaneApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    bool hasEscapedError() const { return escapedError_.has_value(); }
    // The message of the first exception that escaped a handler, if any;
    // taking it clears it.
    std::optional<QString> takeEscapedError();

private:
    std::optional<QString> escapedError_;
};

} // namespace morvane
