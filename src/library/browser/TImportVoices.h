// "Categories of the imported voices": the voices of the files being
// imported, one row each, with a box per category, and a row of boxes that
// sets a category for every voice at once. A voice left with no category is
// not added.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace morvane {

class TImportVoices : public QDialog {
    Q_OBJECT
public:
    explicit TImportVoices(QWidget* parent = nullptr);

    // One voice of a file: its name, and where it comes from (the file's
    // name, with its place when it is one of a bank's voices).
    struct Voice {
        std::string name;
        QString from;
    };
    // Lists the voices with no category ticked.
    void setVoices(const std::vector<Voice>& voices);
    // Each listed voice's categories, in the order they were listed.
    std::vector<std::uint32_t> masks() const;

    QTableWidget* tbVoices;
    QPushButton* Okay;
    QPushButton* Cancel;

private:
    // A box of the "same for all" row: the category for every voice.
    void setForAll(int bit, bool on);
    void showState();

    std::vector<QCheckBox*> forAll_;
    QLabel* lbState;
    bool settingAll_ = false;
};

} // namespace morvane
