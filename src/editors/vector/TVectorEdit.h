// The vector editor: the level or the detune vector, one at a time. Two
// rows of 50 track bars show every step's AB and CD position; four lists
// show the selected step; the path picture shows where the vector goes and
// for how long.
#pragma once

#include "EditorWindow.h"

#include <array>

class QComboBox;
class QSlider;

namespace morvane {

class VectorPathView;

class TVectorEdit : public EditorWindow {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 9;
    static constexpr int kBarsPerRow = kVectorSteps;

    explicit TVectorEdit(EditorHost& host, QWidget* parent = nullptr);

    int selectedStep() const { return selectedStep_; }
    bool editsDetune() const { return editsDetune_; }

protected:
    void refreshControls() override;

private:
    VectorParams& vector();
    std::uint8_t& speed();

    QWidget* makeBarRow(int firstBar, const char* toolTip);
    // Shows the bars of the steps the vector plays, hides the others.
    void maskItems();
    // The four step lists and the picture show the selected step.
    void showSelectedStep();

    void trackBarChange(int step);
    void cbStepNumberChange(int index);
    void cbVectorSelectChange(int index);
    void pathStepDragged(int step, int abPosition, int cdPosition);

    // TrackBar1 ... TrackBar100: the AB bars of steps 1-50, then the CD bars.
    std::array<BoundSlider*, 2 * kBarsPerRow> bars_{};
    BoundList* abList_ = nullptr;
    BoundList* cdList_ = nullptr;
    BoundList* repeatsList_ = nullptr;
    QComboBox* cbStepNumber = nullptr;
    QComboBox* cbVectorSelect = nullptr;
    VectorPathView* path_ = nullptr;
    int selectedStep_ = 0;
    int pathDrags_ = 0;  // presses on the path picture so far; each drag is one undo step
    bool editsDetune_ = false;
};

} // namespace morvane
