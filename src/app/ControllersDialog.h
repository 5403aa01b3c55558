// "Controllers...": the controller input (a MIDI input of its own, which
// may be the instrument's device too) and the list of hardware controllers
// bound to voice fields, each of which can be forgotten. Binding is done
// from an editor control's context menu ("Learn controller").
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QListWidget;

namespace morvane {

class ControllerLink;

class TControllers : public QDialog {
    Q_OBJECT
public:
    TControllers(ControllerLink& link, QWidget* parent = nullptr);
    // Lists the inputs and the bindings afresh; called before each showing.
    void fill();

private:
    ControllerLink& link_;
    QComboBox* cbControllerInput;
    QListWidget* lwBindings;
    QLabel* lProblem;

    void chooseInput(int index);
    void forgetSelected();
};

} // namespace morvane
