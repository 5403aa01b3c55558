// The one way the program shows a window modally. Every dialog, message box
// and file dialog goes through showModal, so that a test can stand in for the
// person in front of the screen and answer the real dialog.
#pragma once

#include <functional>

class QDialog;

namespace morvane {

class ModalHost {
public:
    // Called once the dialog is on screen, inside its modal loop. It answers
    // as a person would: clicks a button, presses a key, fills a field.
    using Answerer = std::function<void(QDialog&)>;

    // The result showModal gives when an answerer left the dialog open: the
    // dialog is then ended by force, so that a test never hangs.
    static constexpr int kUnanswered = -1;

    // Shows the dialog modally and returns its result (QDialog::Accepted for
    // OK, QDialog::Rejected for Cancel). The dialog keeps its state afterwards.
    int showModal(QDialog& dialog);

    // Installs (or, with an empty function, removes) the answerer.
    void setAnswerer(Answerer answerer);

    // The program is ending: no dialog is shown any more (showModal gives
    // Rejected at once). Those on screen are ended by the end of every event
    // loop.
    void closeAll() { closing_ = true; }

    // How many dialogs have been shown so far.
    int shownCount() const { return shown_; }

private:
    Answerer answerer_;
    int shown_ = 0;
    bool closing_ = false;
};

} // namespace morvane
