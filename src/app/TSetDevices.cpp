#include "TSetDevices.h"

#include "Artwork.h"
#include "MidiPort.h"
#include "PortChoices.h"
#include "Settings.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>


namespace morvane {

namespace {

constexpr int kClientWidth = 298;
constexpr int kClientHeight = 401;
constexpr int kPictureWidth = artwork::kStripWidth;
constexpr int kMidiChannels = 16;

// A device list that tells when the user, not the program, picks a line: a
// click (also on the line already chosen, which retries a failed open) or a
// move with the keyboard.
class DeviceList : public QListWidget {
    Q_OBJECT

public:
    using QListWidget::QListWidget;

signals:
    void picked();

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        rowAtPress_ = currentRow();
        QListWidget::mousePressEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QListWidget::mouseReleaseEvent(event);
        const bool onLine = itemAt(event->position().toPoint()) != nullptr;
        if (event->button() == Qt::LeftButton && currentRow() >= 0 && (onLine || currentRow() != rowAtPress_))
            emit picked();
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const int before = currentRow();
        QListWidget::keyPressEvent(event);
        if (currentRow() >= 0 && currentRow() != before)
            emit picked();
    }

private:
    int rowAtPress_ = -1;
};

// MIDI system names can be longer than the list is wide.
void addDevice(QListWidget* list, const std::string& name)
{
    auto* item = new QListWidgetItem(QString::fromStdString(name), list);
    item->setToolTip(item->text());
}

std::vector<std::string> listed(const QListWidget* list)
{
    std::vector<std::string> names;
    for (int row = 0; row < list->count(); ++row)
        names.push_back(list->item(row)->text().toStdString());
    return names;
}

QGroupBox* groupBox(const char* title, QWidget* content, QWidget* parent)
{
    auto* box = new QGroupBox(QString::fromLatin1(title), parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addWidget(content);
    return box;
}

} // namespace

TSetDevices::TSetDevices(Settings& settings, MidiPort& midiPort, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      settings_(settings), midiPort_(midiPort)
{
    setObjectName(QStringLiteral("SetDevices"));
    setWindowTitle(QStringLiteral("Select MIDI Devices"));
    setFixedSize(kClientWidth, kClientHeight);
    setStyleSheet(QStringLiteral(
        "QDialog#SetDevices { background-color: black; }"
        "QGroupBox { background-color: #808080; color: #00FF00; font-weight: bold;"
        "  border: 1px solid #C0C0C0; margin-top: 1.3em; padding-top: 2px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 8px; padding: 0 2px; color: #00FF00; }"
        "QListWidget, QComboBox { background-color: white; color: black; font-weight: bold; }"));

    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, kPictureWidth, kClientHeight);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(artwork::stripPicture());  // the main window's picture

    auto* inputs = new DeviceList;
    lbInputs = inputs;
    GroupBox1 = groupBox(" Input devices ", lbInputs, this);
    GroupBox1->setGeometry(kPictureWidth + 8, 6, 193, 142);

    auto* outputs = new DeviceList;
    lbOutputs = outputs;
    GroupBox2 = groupBox(" Output devices ", lbOutputs, this);
    GroupBox2->setGeometry(kPictureWidth + 8, 154, 193, 142);

    cbMIDIChannel = new QComboBox;
    cbMIDIChannel->setEditable(false);
    for (int channel = 1; channel <= kMidiChannels; ++channel)
        cbMIDIChannel->addItem(QString::number(channel));
    GroupBox3 = groupBox(" MIDI Channel ", cbMIDIChannel, this);
    GroupBox3->setGeometry(kPictureWidth + 8, 302, 193, 58);

    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&Okay"), this);
    BitBtn1->setGeometry(kClientWidth - 8 - 90, 367, 90, 27);
    bRefresh = new QPushButton(style()->standardIcon(QStyle::SP_BrowserReload), QStringLiteral("&Refresh"), this);
    bRefresh->setObjectName(QStringLiteral("bRefresh"));
    bRefresh->setGeometry(kPictureWidth + 8, 367, 90, 27);
    bRefresh->setAutoDefault(false);

    listWatch_ = new QTimer(this);
    listWatch_->setInterval(kListWatchMs);
    connect(listWatch_, &QTimer::timeout, this, &TSetDevices::refreshIfChanged);
    connect(bRefresh, &QPushButton::clicked, this, &TSetDevices::populate);

    connect(inputs, &DeviceList::picked, this, &TSetDevices::selectInputDevice);
    connect(outputs, &DeviceList::picked, this, &TSetDevices::selectOutputDevice);
    // activated, unlike currentIndexChanged, comes from the user only.
    connect(cbMIDIChannel, &QComboBox::activated, this, &TSetDevices::setMIDIChannel);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(1); });
}

void TSetDevices::populate()
{
    midiPort_.refreshDevices();
    const auto fill = [](QListWidget* list, const std::vector<std::string>& names, const QString& name, int place) {
        list->clear();
        for (const std::string& device : names)
            addDevice(list, device);
        // A stored device that is not there now shows no selection.
        list->setCurrentRow(findDevice(names, PortChoice{name.toStdString(), place}));
    };
    fill(lbInputs, midiPort_.inputDevices(), settings_.inDeviceName, settings_.inDevice);
    fill(lbOutputs, midiPort_.outputDevices(), settings_.outDeviceName, settings_.outDevice);
    cbMIDIChannel->setCurrentIndex(settings_.midiChannel);
}

void TSetDevices::refreshIfChanged()
{
    midiPort_.refreshDevices();
    if (midiPort_.inputDevices() != listed(lbInputs) || midiPort_.outputDevices() != listed(lbOutputs))
        populate();
}

void TSetDevices::showEvent(QShowEvent* event)
{
    populate();
    listWatch_->start();
    QDialog::showEvent(event);
}

void TSetDevices::hideEvent(QHideEvent* event)
{
    listWatch_->stop();
    QDialog::hideEvent(event);
}

void TSetDevices::selectInputDevice()
{
    if (lbInputs->currentRow() < 0)
        return;
    settings_.inDevice = lbInputs->currentRow();
    settings_.inDeviceName = lbInputs->currentItem()->text();
    reopenPorts();
}

void TSetDevices::selectOutputDevice()
{
    if (lbOutputs->currentRow() < 0)
        return;
    settings_.outDevice = lbOutputs->currentRow();
    settings_.outDeviceName = lbOutputs->currentItem()->text();
    reopenPorts();
}

void TSetDevices::setMIDIChannel()
{
    if (cbMIDIChannel->currentIndex() >= 0)
        settings_.midiChannel = cbMIDIChannel->currentIndex();
}

// Both directions, whichever list was used, by name.
void TSetDevices::reopenPorts()
{
    openChosenPorts(settings_, midiPort_);
}

} // namespace morvane

#include "TSetDevices.moc"
