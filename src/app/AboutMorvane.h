// The about box: what the program is, its licence, its history and where to
// write. "OK" (default): Accepted; its close box and Escape: Rejected.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace morvane {

class TAboutMorvane : public QDialog {
    Q_OBJECT
public:
    explicit TAboutMorvane(QWidget* parent = nullptr);

    void setVisible(bool visible) override;

    QLabel* Image1;
    QLabel* Label13;   // "Version 2.2"
    QPushButton* bOK;
};

} // namespace morvane
