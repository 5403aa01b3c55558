#include "MorvaneApplication.h"

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
    // Only the first is reported; the program is on its way to shutdown.
    if (!escapedError_)
        escapedError_ = message;
    exit(0);
    return false;
}

std::optional<QString> MorvaneApplication::takeEscapedError()
{
    return std::exchange(escapedError_, std::nullopt);
}

} // namespace morvane
