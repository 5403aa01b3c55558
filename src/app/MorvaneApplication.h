// The application object. Its event dispatch is where an exception thrown by
// a handler stops: Qt cannot carry one through its event loop, so it is
// caught there. While a reporter is set (the program is running), the
// exception is handed to it once the event has been dealt with and the
// program goes on. Otherwise (starting up) it is kept and the event loop is
// told to end; the start-up sequence then reports it and shuts down in order.
#pragma once

#include <QApplication>
#include <QString>

#include <functional>
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

    // Null: back to ending the event loop.
    void setReporter(std::function<void(const QString& message)> reporter);

private:
    std::optional<QString> escapedError_;
    std::function<void(const QString& message)> reporter_;
    bool reporting_ = false;
};

} // namespace morvane
