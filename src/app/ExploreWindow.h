// "Explore...": guided variation of the edited voice. Eight variations at a
// time (randomised by an amount, or blended with voices of the library), each
// heard with one click (sent through the paced path and the test note
// played); the ones ticked as parents make the next eight around them, by a
// smaller amount each round; "Back" returns to the round before, "Keep" makes
// the variation last heard the edited voice as one undo step. The seed is
// shown and can be typed: the same seed and choices give the same rounds.
#pragma once

#include "Exploration.h"

#include <QDialog>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace morvane {

struct AppContext;
class AppServices;

class TExplore : public QDialog {
    Q_OBJECT
public:
    TExplore(AppContext& context, AppServices& services, QWidget* parent = nullptr);

    // The first round from the edited voice, by the amount, way and seed
    // chosen; a blend with an empty library is said and nothing starts.
    void StartClick();
    // Sends variation `i` (0-7) and plays the test note.
    void hear(int i);
    void NextClick();
    void BackClick();
    void KeepClick();

    const Exploration* exploration() const { return exploration_.get(); }
    // The variation last heard in the round shown, if any.
    std::optional<int> heard() const { return heard_; }

    // How many library voices a blend round draws its mates from, at most.
    static constexpr int kMates = 16;

    // Closing (also by Escape) sends the edited voice back to the
    // instrument when another was heard since.
    void reject() override;

private:
    AppContext& context_;
    AppServices& services_;
    std::unique_ptr<Exploration> exploration_;
    std::optional<int> heard_;
    // A variation went to the instrument and was not kept since.
    bool auditioned_ = false;

    QSpinBox* seAmount;
    QSpinBox* seSeed;
    QRadioButton* rbRandomise;
    QRadioButton* rbBlend;
    QLabel* lRound;
    std::array<QPushButton*, Exploration::kVariations> variations_{};
    std::array<QCheckBox*, Exploration::kVariations> parents_{};
    QPushButton* bNext;
    QPushButton* bBack;
    QPushButton* bKeep;

    void showRound();
};

} // namespace morvane
