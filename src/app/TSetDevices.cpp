#include "TSetDevices.h"

#include "Artwork.h"
#include "MidiPort.h"
#include "PortChoices.h"
#include "Settings.h"
#include "TFindInstrument.h"

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

#include <algorithm>


namespace morvane {

namespace {

constexpr int kClientWidth = 298;
constexpr int kClientHeight = 560;
constexpr int kPictureWidth = artwork::kStripWidth;
constexpr int kMidiChannels = 16;
constexpr const char* kModelNames[] = {"SY-22", "SY-35", "TG-33"};
constexpr int kModels = 3;

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

TSetDevices::TSetDevices(Settings& settings, MidiPort& midiPort, const QPixmap& picture, QWidget* parent)
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
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(0, 0, kPictureWidth, kClientHeight);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(picture.isNull() ? artwork::stripPicture() : picture);  // the main window's picture

    const int left = kPictureWidth + 8;
    const int width = kClientWidth - left - 8;
    auto* inputs = new DeviceList;
    lbInputs = inputs;
    lbInputs->setObjectName(QStringLiteral("lbInputs"));
    GroupBox1 = groupBox(" Input devices ", lbInputs, this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(left, 6, width, 142);

    auto* outputs = new DeviceList;
    lbOutputs = outputs;
    lbOutputs->setObjectName(QStringLiteral("lbOutputs"));
    GroupBox2 = groupBox(" Output devices ", lbOutputs, this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(left, 154, width, 142);

    cbMIDIChannel = new QComboBox;
    cbMIDIChannel->setObjectName(QStringLiteral("cbMIDIChannel"));
    cbMIDIChannel->setEditable(false);
    for (int channel = 1; channel <= kMidiChannels; ++channel)
        cbMIDIChannel->addItem(QString::number(channel));
    GroupBox3 = groupBox(" MIDI Channel ", cbMIDIChannel, this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));
    GroupBox3->setGeometry(left, 302, width, 58);

    // The same setting as the AWM editor's "Select model".
    cbModel = new QComboBox;
    cbModel->setObjectName(QStringLiteral("cbModel"));
    for (const char* model : kModelNames)
        cbModel->addItem(QString::fromLatin1(model));
    cbModel->setToolTip(QStringLiteral("The instrument: it decides which request \"Get voice\" sends"));
    GroupBox4 = groupBox(" Model ", cbModel, this);
    GroupBox4->setObjectName(QStringLiteral("GroupBox4"));
    GroupBox4->setGeometry(left, 366, width, 58);

    bFindInstrument = new QPushButton(QStringLiteral("&Find instrument"), this);
    bFindInstrument->setObjectName(QStringLiteral("bFindInstrument"));
    bFindInstrument->setToolTip(
        QStringLiteral("Looks for the instrument on every port: sets the input, output, channel and model"));
    bFindInstrument->setGeometry(left, 432, width, 27);
    bFindInstrument->setAutoDefault(false);
    bFindInstrument->setEnabled(false);

    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMessage->setStyleSheet(QStringLiteral("color: #00FF00;"));
    lblMessage->setGeometry(left, 464, width, 60);

    // The two buttons' icons come from the desktop's icon theme, which is
    // slow to search the first time: they are looked up when the window
    // first shows, not while start-up makes it.
    BitBtn1 = new QPushButton(QStringLiteral("&Okay"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(kClientWidth - 8 - 90, kClientHeight - 34, 90, 27);
    bRefresh = new QPushButton(QStringLiteral("&Refresh"), this);
    bRefresh->setObjectName(QStringLiteral("bRefresh"));
    bRefresh->setGeometry(left, kClientHeight - 34, 90, 27);
    bRefresh->setAutoDefault(false);

    findWindow_ = new TFindInstrument(this);

    listWatch_ = new QTimer(this);
    listWatch_->setInterval(kListWatchMs);
    connect(listWatch_, &QTimer::timeout, this, &TSetDevices::refreshIfChanged);
    connect(bRefresh, &QPushButton::clicked, this, &TSetDevices::listDevicesAgain);
    connect(bFindInstrument, &QPushButton::clicked, this, &TSetDevices::findInstrument);

    connect(inputs, &DeviceList::picked, this, &TSetDevices::selectInputDevice);
    connect(outputs, &DeviceList::picked, this, &TSetDevices::selectOutputDevice);
    // activated, unlike currentIndexChanged, comes from the user only.
    connect(cbMIDIChannel, &QComboBox::activated, this, &TSetDevices::setMIDIChannel);
    connect(cbModel, &QComboBox::activated, this, &TSetDevices::setModel);
    connect(BitBtn1, &QPushButton::clicked, this, &TSetDevices::okay);

    // While a search runs the lists stay as they are (its own ports come
    // and go); afterwards they are read again.
    connect(findWindow_, &TFindInstrument::started, listWatch_, &QTimer::stop);
    connect(findWindow_, &TFindInstrument::found, this, &TSetDevices::showFound);
    connect(findWindow_, &TFindInstrument::finished, this, [this] {
        if (isVisible()) {
            refreshIfChanged();
            listWatch_->start();
        }
    });
}

void TSetDevices::setSearchBackendFactory(SearchFactoryMaker maker)
{
    searchFactory_ = std::move(maker);
    bFindInstrument->setEnabled(searchFactory_ != nullptr);
}

void TSetDevices::offerFindInstrument()
{
    lblMessage->setText(QStringLiteral("Pick the instrument's ports, channel and model, or let Morvane look for "
                                       "it: Find instrument."));
}

void TSetDevices::findInstrument()
{
    // The ports the lists show (read again every second while the window is
    // open) are the ones tried.
    const int model = cbModel->currentIndex();
    findWindow_->prepare(searchFactory_ ? searchFactory_() : nullptr, listed(lbInputs), listed(lbOutputs),
                         QString::fromLatin1(kModelNames[model == 1 ? 1 : 0]));
    findWindow_->show();
    findWindow_->raise();
}

void TSetDevices::showFound(const SearchResult& result)
{
    // A search that ends after the window closed proposes nothing.
    if (!isVisible())
        return;
    // A TG-33 answer means a TG-33; the SY-22 and SY-35 answer alike, so an
    // SY answer keeps whichever of the two is chosen.
    const int chosen = cbModel->currentIndex();
    const int model = result.layout == DumpLayout::Tg33 ? 2 : chosen == 1 ? 1 : 0;
    proposal_ = Proposal{QString::fromStdString(result.input), QString::fromStdString(result.output), result.device,
                         model};
    listDevicesAgain();
    const QString found = TFindInstrument::describe(result, QString::fromLatin1(kModelNames[model == 1 ? 1 : 0]));
    lblMessage->setText(TFindInstrument::headline(result, QString::fromLatin1(kModelNames[model == 1 ? 1 : 0]))
                        + QStringLiteral(". Press Okay to use it."));
    lblMessage->setToolTip(found);
}

void TSetDevices::listDevicesAgain()
{
    midiPort_.refreshDevices();
    populate();
}

void TSetDevices::populate()
{
    const auto fill = [](QListWidget* list, const std::vector<std::string>& names, const QString& name, int place) {
        list->clear();
        for (const std::string& device : names)
            addDevice(list, device);
        // A stored device that is not there now shows no selection.
        list->setCurrentRow(findDevice(names, PortChoice{name.toStdString(), place}));
    };
    // A found instrument shows until Okay stores it or the window closes.
    if (proposal_) {
        fill(lbInputs, midiPort_.inputDevices(), proposal_->input, -1);
        fill(lbOutputs, midiPort_.outputDevices(), proposal_->output, -1);
    } else {
        fill(lbInputs, midiPort_.inputDevices(), settings_.inDeviceName, settings_.inDevice);
        fill(lbOutputs, midiPort_.outputDevices(), settings_.outDeviceName, settings_.outDevice);
    }
    showChoices();
}

void TSetDevices::showChoices()
{
    cbMIDIChannel->setCurrentIndex(proposal_ ? proposal_->channel : settings_.midiChannel);
    const int model = proposal_ ? proposal_->model : settings_.model;
    cbModel->setCurrentIndex(model >= 0 && model < kModels ? model : -1);
}

void TSetDevices::refreshIfChanged()
{
    midiPort_.refreshDevices();
    if (midiPort_.inputDevices() != listed(lbInputs) || midiPort_.outputDevices() != listed(lbOutputs))
        populate();
}

void TSetDevices::showEvent(QShowEvent* event)
{
    if (BitBtn1->icon().isNull()) {
        BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
        bRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    }
    listDevicesAgain();
    listWatch_->start();
    QDialog::showEvent(event);
}

void TSetDevices::hideEvent(QHideEvent* event)
{
    listWatch_->stop();
    // What a search found and Okay did not take is forgotten.
    proposal_.reset();
    findWindow_->cancelSearch();
    findWindow_->hide();
    lblMessage->clear();
    lblMessage->setToolTip({});
    QDialog::hideEvent(event);
}

void TSetDevices::selectInputDevice()
{
    if (lbInputs->currentRow() < 0)
        return;
    settings_.inDevice = lbInputs->currentRow();
    settings_.inDeviceName = lbInputs->currentItem()->text();
    if (proposal_)
        proposal_->input = settings_.inDeviceName;
    reopenPorts();
}

void TSetDevices::selectOutputDevice()
{
    if (lbOutputs->currentRow() < 0)
        return;
    settings_.outDevice = lbOutputs->currentRow();
    settings_.outDeviceName = lbOutputs->currentItem()->text();
    if (proposal_)
        proposal_->output = settings_.outDeviceName;
    reopenPorts();
}

void TSetDevices::setMIDIChannel()
{
    if (cbMIDIChannel->currentIndex() < 0)
        return;
    settings_.midiChannel = cbMIDIChannel->currentIndex();
    if (proposal_)
        proposal_->channel = settings_.midiChannel;
}

void TSetDevices::setModel()
{
    if (cbModel->currentIndex() < 0)
        return;
    settings_.model = cbModel->currentIndex();
    if (proposal_)
        proposal_->model = settings_.model;
    if (modelListener_)
        modelListener_();
}

void TSetDevices::okay()
{
    if (proposal_) {
        // The places are learnt again as the ports open by name.
        settings_.inDeviceName = proposal_->input;
        settings_.inDevice = std::max(0, findDevice(listed(lbInputs), PortChoice{proposal_->input.toStdString(), -1}));
        settings_.outDeviceName = proposal_->output;
        settings_.outDevice = std::max(0, findDevice(listed(lbOutputs), PortChoice{proposal_->output.toStdString(), -1}));
        settings_.midiChannel = proposal_->channel;
        const bool modelChanged = settings_.model != proposal_->model;
        settings_.model = proposal_->model;
        proposal_.reset();
        reopenPorts();
        if (modelChanged && modelListener_)
            modelListener_();
    }
    done(1);
}

// Both directions, whichever list was used, by name.
void TSetDevices::reopenPorts()
{
    openChosenPorts(settings_, midiPort_);
}

} // namespace morvane

#include "TSetDevices.moc"
