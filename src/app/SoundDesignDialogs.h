// The dialogs of the sound-design tools: how much to randomise and which
// parts, the second voice and the mix of a blend, and the test note.
#pragma once

#include "VoiceParameters.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace morvane {

class VoiceLibrary;

// "Randomise...": an amount of 1-100 % and the parts to change.
class TRandomise : public QDialog {
    Q_OBJECT
public:
    explicit TRandomise(QWidget* parent = nullptr);
    int amount() const;
    unsigned parts() const;  // VoicePart bits

private:
    QSpinBox* seAmount;
    QCheckBox* parts_[6];
};

// "Blend with voice file...": a voice file or a library record, and the mix
// (0 % the edited voice, 100 % the other one).
class TBlend : public QDialog {
    Q_OBJECT
public:
    TBlend(VoiceLibrary& library, QWidget* parent = nullptr);
    // Lists the library's voices again; called before each showing.
    void listLibrary();
    int mix() const;
    // The chosen voice, or a message saying why there is none.
    std::optional<VoiceParameters> otherVoice(QString& problem) const;

private:
    VoiceLibrary& library_;
    QRadioButton* rbFile;
    QRadioButton* rbLibrary;
    QLineEdit* edFile;
    QComboBox* cbRecord;
    QSpinBox* seMix;
};

// The test note's options: key, velocity and length.
class TTestNote : public QDialog {
    Q_OBJECT
public:
    explicit TTestNote(QWidget* parent = nullptr);
    void setValues(int key, int velocity, int lengthMs);
    int key() const;
    int velocity() const;
    int lengthMs() const;

private:
    QSpinBox* seKey;
    QSpinBox* seVelocity;
    QSpinBox* seLength;
};

} // namespace morvane
