#include "MorvaneApplication.h"

#include <QTimer>

#include <exception>

namespace morvane {

MorvaneApplication::MorvaneApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool MorvaneApplication::notify(QObject* receiver, QEvent* event)
{
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        message = QString::fromLocal8Bit(error.what());
    } catch (...) {
        message = QStringLiteral("An unexpected error occurred.");
    }
    // Reported after the event, from the loop, so that the report's own
    // dialog does not run inside a handler that was cut short. An exception
    // thrown while reporting one ends the program as at start-up.
    if (reporter_ && !reporting_) {
        QTimer::singleShot(0, this, [this, message] {
            if (!reporter_)
                return;
            reporting_ = true;
            reporter_(message);
            reporting_ = false;
        });
        return false;
    }
    // Only the first is reported; the program is on its way to shutdown.
    if (!escapedError_)
        escapedError_ = message;
    exit(0);
    return false;
}

void MorvaneApplication::setReporter(std::function<void(const QString& message)> reporter)
{
    reporter_ = std::move(reporter);
}

std::optional<QString> MorvaneApplication::takeEscapedError()
{
    return std::exchange(escapedError_, std::nullopt);
}

} // namespace morvane
