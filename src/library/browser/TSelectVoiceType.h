// "Select Voice Type": asks which categories a voice stored in the library
// carries. It is created once and never reset, so each use starts with the
// marks of the previous one; it closes only by "&Okay", with at least one
// category chosen.
#pragma once

#include <QDialog>

#include <cstdint>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;

namespace morvane {

class TSelectVoiceType : public QDialog {
    Q_OBJECT
public:
    explicit TSelectVoiceType(QWidget* parent = nullptr);

    // The categories of the checked boxes.
    std::uint32_t buildCategoryMask() const;

    void reject() override {}  // Escape does not close it

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void extractVoiceType();

    std::vector<QCheckBox*> boxes_;  // screen order
    QPushButton* Okay;
    QLabel* InfoLabel;
};

} // namespace morvane
