// "Select Voice Type": asks which categories a voice stored in the library
// carries. It is created once and never reset, so each use starts with the
// marks of the previous one unless the caller sets them. It closes by
// "&Okay" (accepted, at least one category chosen) or by "Cancel" (rejected,
// the marks back as they were when it opened); Escape and the window's close
// button do nothing.
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
    // Checks the boxes of exactly these categories; "Cancel" comes back to them.
    void setCategoryMask(std::uint32_t mask);

    void reject() override {}  // Escape does not close it

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void extractVoiceType();

    std::vector<QCheckBox*> boxes_;  // screen order
    void cancel();

    QPushButton* Okay;
    QPushButton* Cancel;
    QLabel* InfoLabel;
    std::uint32_t marksWhenShown_ = 0;
};

} // namespace morvane
