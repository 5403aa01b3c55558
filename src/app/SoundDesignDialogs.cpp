#include "SoundDesignDialogs.h"

#include "Settings.h"

#include "VoiceData.h"
#include "VoiceFile.h"
#include "VoiceLibrary.h"
#include "VoiceTransforms.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace morvane {

namespace {

QSpinBox* spinBox(QWidget* parent, const char* name, int min, int max, int value, const char* suffix)
{
    auto* box = new QSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(min, max);
    box->setValue(value);
    box->setSuffix(QString::fromLatin1(suffix));
    return box;
}

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("buttons"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

TRandomise::TRandomise(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Randomise"));
    setWindowTitle(QStringLiteral("Randomise"));
    auto* form = new QFormLayout;
    seAmount = spinBox(this, "seAmount", 1, 100, 20, " %");
    form->addRow(QStringLiteral("Amount:"), seAmount);
    struct Part {
        const char* name;
        const char* caption;
    };
    constexpr Part kParts[] = {{"cbCommon", "Common"},       {"cbElementA", "Element A"}, {"cbElementB", "Element B"},
                               {"cbElementC", "Element C"}, {"cbElementD", "Element D"}, {"cbVectors", "Vectors"}};
    static_assert(std::size(kParts) == std::size(decltype(parts_){}));
    auto* column = new QVBoxLayout;
    for (std::size_t i = 0; i < std::size(kParts); ++i) {
        parts_[i] = new QCheckBox(QString::fromLatin1(kParts[i].caption), this);
        parts_[i]->setObjectName(QString::fromLatin1(kParts[i].name));
        parts_[i]->setChecked(true);
        column->addWidget(parts_[i]);
    }
    form->addRow(QStringLiteral("Change:"), column);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

int TRandomise::amount() const
{
    return seAmount->value();
}

unsigned TRandomise::parts() const
{
    unsigned bits = 0;
    for (std::size_t i = 0; i < std::size(parts_); ++i)
        if (parts_[i]->isChecked())
            bits |= 1u << i;  // the order of VoicePart
    return bits;
}

TBlend::TBlend(VoiceLibrary& library, QWidget* parent) : QDialog(parent), library_(library)
{
    setObjectName(QStringLiteral("Blend"));
    setWindowTitle(QStringLiteral("Blend with voice"));
    rbFile = new QRadioButton(QStringLiteral("Voice file:"), this);
    rbFile->setObjectName(QStringLiteral("rbFile"));
    rbFile->setChecked(true);
    edFile = new QLineEdit(this);
    edFile->setObjectName(QStringLiteral("edFile"));
    auto* browse = new QPushButton(QStringLiteral("Browse..."), this);
    browse->setObjectName(QStringLiteral("bBrowse"));
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Voice to blend with"), edFile->text(),
                                                          QStringLiteral("System Exclusive files (*.SYX *.syx)"),
                                                          nullptr, QFileDialog::DontUseNativeDialog);
        if (!path.isEmpty())
            edFile->setText(path);
    });
    rbLibrary = new QRadioButton(QStringLiteral("Library voice:"), this);
    rbLibrary->setObjectName(QStringLiteral("rbLibrary"));
    cbRecord = new QComboBox(this);
    cbRecord->setObjectName(QStringLiteral("cbRecord"));
    connect(cbRecord, &QComboBox::activated, rbLibrary, [this] { rbLibrary->setChecked(true); });
    connect(edFile, &QLineEdit::textEdited, rbFile, [this] { rbFile->setChecked(true); });
    seMix = spinBox(this, "seMix", 0, 100, 50, " %");
    seMix->setToolTip(QStringLiteral("0 % keeps the edited voice, 100 % gives the other voice"));

    auto* grid = new QFormLayout;
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(edFile);
    fileRow->addWidget(browse);
    grid->addRow(rbFile, fileRow);
    grid->addRow(rbLibrary, cbRecord);
    grid->addRow(QStringLiteral("Mix:"), seMix);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(okCancel(this));
    listLibrary();
}

void TBlend::listLibrary()
{
    cbRecord->clear();
    std::vector<RecordSummary> records;
    if (library_.scanRecords(records))
        for (const RecordSummary& record : records)
            cbRecord->addItem(QString::fromStdString(record.name));
    rbLibrary->setEnabled(cbRecord->count() > 0);
    if (cbRecord->count() == 0)
        rbFile->setChecked(true);
}

int TBlend::mix() const
{
    return seMix->value();
}

std::optional<VoiceParameters> TBlend::otherVoice(QString& problem) const
{
    VoiceParameters voice;
    VoiceData data(voice);
    if (rbLibrary->isChecked()) {
        // Another program may have changed the library since it was listed:
        // the record must still be the voice picked.
        const int n = cbRecord->currentIndex();
        if (library_.recordName(n) != cbRecord->currentText().toStdString()) {
            problem = QStringLiteral("The voice \"%1\" is no longer where it was in the library: another program "
                                     "changed the library. Open the dialog again to see it as it is now.")
                          .arg(cbRecord->currentText().trimmed());
            return std::nullopt;
        }
        const LibraryResult loaded = library_.loadRecord(n, data);
        if (!loaded) {
            problem = QString::fromStdString(loaded.error());
            return std::nullopt;
        }
        return voice;
    }
    const std::string path = edFile->text().toStdString();
    const VoiceFileResult read = readVoiceFile(path, data);
    if (read != VoiceFileResult::Loaded) {
        problem = QString::fromStdString(path + ": " + describe(read));
        return std::nullopt;
    }
    return voice;
}

TTestNote::TTestNote(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TestNote"));
    setWindowTitle(QStringLiteral("Test note"));
    seKey = spinBox(this, "seKey", 0, 127, 60, "");
    seKey->setToolTip(QStringLiteral("MIDI key number: 60 is middle C"));
    seVelocity = spinBox(this, "seVelocity", 1, 127, 100, "");
    seLength = spinBox(this, "seLength", Settings::kShortestTestNote, Settings::kLongestTestNote, 1000, " ms");
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Key:"), seKey);
    form->addRow(QStringLiteral("Velocity:"), seVelocity);
    form->addRow(QStringLiteral("Length:"), seLength);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

void TTestNote::setValues(int key, int velocity, int lengthMs)
{
    seKey->setValue(key);
    seVelocity->setValue(velocity);
    seLength->setValue(lengthMs);
}

int TTestNote::key() const
{
    return seKey->value();
}

int TTestNote::velocity() const
{
    return seVelocity->value();
}

int TTestNote::lengthMs() const
{
    return seLength->value();
}

} // namespace morvane
