// What the four editor windows share: the host, the ready flag and the send
// rule, the "Get voice", "Send voice", "Help" and "Close" buttons, and the
// colours.
#pragma once

#include "EditorHost.h"

#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace morvane {

class NumberField;
class UpDown;

class EditorWindow : public QWidget {
    Q_OBJECT
public:
    // Refreshes every control from the voice. Nothing is sent meanwhile.
    void updateDisplay();

    bool ready() const { return ready_; }

protected:
    EditorWindow(EditorHost& host, const QString& objectName, const QString& caption, int helpContext,
                 QWidget* parent);

    // The window's own refresh; runs with the ready flag false.
    virtual void refreshControls() = 0;

    // Sends the voice when the window is not refreshing and auto-send is on.
    void sendIfReady();

    // The four standard buttons, top to bottom, in a column.
    QVBoxLayout* makeButtonColumn();

    // An edit box with its up-down for one field of the voice; an accepted
    // entry is sent by the rule above.
    NumberField* addNumberField(QLineEdit*& box, UpDown*& upDown, const char* boxName, const char* upDownName,
                                int minimum, int maximum, std::function<int()> load,
                                std::function<void(int)> store, const char* toolTip);

    EditorHost& host_;

private:
    bool ready_ = false;
    int helpContext_;
};

} // namespace morvane
