#include "ModalHost.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace morvane {

int ModalHost::showModal(QDialog& dialog)
{
    if (closing_)
        return QDialog::Rejected;
    ++shown_;
    if (answerer_) {
        // The answer runs from the dialog's own modal loop, once it is shown;
        // a copy, because the answerer may replace itself.
        QTimer::singleShot(0, &dialog, [answerer = answerer_, target = QPointer<QDialog>(&dialog)] {
            answerer(*target);
            if (target && target->isVisible())
                target->done(kUnanswered);
        });
    }
    return dialog.exec();
}

void ModalHost::setAnswerer(Answerer answerer)
{
    answerer_ = std::move(answerer);
}

} // namespace morvane
