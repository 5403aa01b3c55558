#include "TBankEdit.h"

#include "AppContext.h"
#include "AppServices.h"
#include "DumpCheck.h"
#include "LibraryBrowser.h"
#include "LibraryImport.h"
#include "MidiPort.h"
#include "Settings.h"
#include "TSelectVoiceType.h"
#include "VoiceFile.h"
#include "VoiceLibrary.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace morvane {

namespace {

constexpr const char* kSlotMime = "application/x-morvane-bank-slot";
constexpr int kColumns = 8;

// The slots as a table the user drags voices into, out of and across.
class SlotTable : public QTableWidget {
public:
    SlotTable(QWidget* parent) : QTableWidget(kBankVoices / kColumns, kColumns, parent)
    {
        setDragEnabled(true);
        setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DragDrop);
        setDropIndicatorShown(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
    }

    std::function<void(int from, int to)> moved;
    std::function<void(const std::vector<int>& records, int to)> recordsDropped;

    static int slotOf(int row, int column) { return row * kColumns + column; }

protected:
    QStringList mimeTypes() const override { return {QString::fromLatin1(kSlotMime)}; }
    QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override
    {
        if (items.isEmpty())
            return nullptr;
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(kSlotMime),
                      QByteArray::number(slotOf(items.front()->row(), items.front()->column())));
        return mime;
    }
    bool takes(const QMimeData* mime) const
    {
        return mime != nullptr
               && (mime->hasFormat(QString::fromLatin1(kSlotMime)) || mime->hasFormat(QString::fromLatin1(kLibraryRecordsMime)));
    }
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (takes(event->mimeData()))
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (takes(event->mimeData()) && indexAt(event->position().toPoint()).isValid())
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dropEvent(QDropEvent* event) override
    {
        const QModelIndex at = indexAt(event->position().toPoint());
        const QMimeData* mime = event->mimeData();
        if (!at.isValid() || !takes(mime)) {
            event->ignore();
            return;
        }
        const int to = slotOf(at.row(), at.column());
        if (mime->hasFormat(QString::fromLatin1(kSlotMime))) {
            if (moved)
                moved(mime->data(QString::fromLatin1(kSlotMime)).toInt(), to);
        } else if (recordsDropped) {
            std::vector<int> records;
            for (const QByteArray& n : mime->data(QString::fromLatin1(kLibraryRecordsMime)).split(','))
                if (!n.isEmpty())
                    records.push_back(n.toInt());
            recordsDropped(records, to);
        }
        // Nothing is removed from the source: the table redraws itself.
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
};

QString modelOf(const VoiceBank& bank)
{
    return QString::fromLatin1(bank.format().model.data(), static_cast<int>(bank.format().model.size()));
}

} // namespace

TBankEdit::TBankEdit(AppContext& context, AppServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), services_(services),
      bank_(context.settings->model == kModelTg33 ? DumpLayout::Tg33 : DumpLayout::Sy)
{
    bank_.setDevice(context.settings->midiChannel);
    setObjectName(QStringLiteral("BankEdit"));
    setWindowTitle(QStringLiteral("Voice bank"));
    auto* table = new SlotTable(this);
    Slots = table;
    Slots->setObjectName(QStringLiteral("Slots"));
    for (int row = 0; row < kBankVoices / kColumns; ++row)
        Slots->setVerticalHeaderItem(row, new QTableWidgetItem(QStringLiteral("I%1").arg(QChar('A' + row))));
    for (int column = 0; column < kColumns; ++column)
        Slots->setHorizontalHeaderItem(column, new QTableWidgetItem(QString::number(column + 1)));
    Slots->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->moved = [this](int from, int to) { moveSlot(from, to); };
    table->recordsDropped = [this](const std::vector<int>& records, int to) { dropRecords(records, to); };
    connect(Slots, &QTableWidget::cellDoubleClicked, this, [this] { LoadSlotClick(); });

    BankState = new QLabel(this);
    BankState->setObjectName(QStringLiteral("BankState"));
    BankState->setWordWrap(true);

    struct Button {
        const char* caption;
        const char* name;
        void (TBankEdit::*handler)();
    };
    const Button buttons[] = {
        {"&Open bank...", "OpenBank", &TBankEdit::OpenBankClick},
        {"&Save bank...", "SaveBank", &TBankEdit::SaveBankClick},
        {"&Get bank", "GetBank", &TBankEdit::GetBankClick},
        {"&Receive bank...", "ReceiveBank", &TBankEdit::ReceiveBankClick},
        {"Se&nd bank", "SendBank", &TBankEdit::SendBankClick},
        {"&Load voice", "LoadSlot", &TBankEdit::LoadSlotClick},
        {"&Put current voice", "PutVoice", &TBankEdit::PutVoiceClick},
        {"&Add all to library", "AddToLibrary", &TBankEdit::AddToLibraryClick},
    };
    auto* row1 = new QHBoxLayout;
    auto* row2 = new QHBoxLayout;
    int i = 0;
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        connect(button, &QPushButton::clicked, this, b.handler);
        (i++ < 5 ? row1 : row2)->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Slots);
    layout->addLayout(row1);
    layout->addLayout(row2);
    layout->addWidget(BankState);
    resize(760, 380);
    showBank();
    say(QStringLiteral("A new %1 bank: open a bank file, get the instrument's bank or drag voices in from the library.")
            .arg(modelOf(bank_)));
}

int TBankEdit::currentSlot() const
{
    const QModelIndex at = Slots->currentIndex();
    return at.isValid() ? SlotTable::slotOf(at.row(), at.column()) : -1;
}

void TBankEdit::selectSlot(int slot)
{
    Slots->setCurrentCell(slot / kColumns, slot % kColumns);
}

void TBankEdit::showBank()
{
    for (int slot = 0; slot < kBankVoices; ++slot) {
        const QString name = bank_.holds(slot) ? QString::fromStdString(bank_.name(slot)) : QStringLiteral("(empty)");
        auto* item = new QTableWidgetItem(name);
        item->setToolTip(QString::fromStdString(slotName(slot)));
        Slots->setItem(slot / kColumns, slot % kColumns, item);
    }
    setWindowTitle(QStringLiteral("Voice bank (%1)").arg(modelOf(bank_)));
}

void TBankEdit::say(const QString& text)
{
    BankState->setText(text);
}

void TBankEdit::warn(const QString& title, const QString& text)
{
    QMessageBox message(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    message.setObjectName(QStringLiteral("BankMessage"));
    services_.showModal(message);
}

QString TBankEdit::converted(int count) const
{
    if (count == 0)
        return {};
    return QStringLiteral(" %1 converted to the %2 layout.")
        .arg(count == 1 ? QStringLiteral("The voice was") : QStringLiteral("%1 voices were").arg(count))
        .arg(modelOf(bank_));
}

bool TBankEdit::openBankFile(const QString& path)
{
    BankRead read = readVoiceBankFile(path.toStdString());
    if (!read.layout) {
        warn(QStringLiteral("Open bank"), QStringLiteral("%1 is not a voice bank of the SY-22, SY-35 or TG-33: %2.")
                                              .arg(path, QString::fromStdString(read.faults.front())));
        return false;
    }
    bank_ = read.bank;
    showBank();
    say(QStringLiteral("%1: a %2 bank, %3 whole voices.").arg(path, modelOf(bank_)).arg(read.wholeVoices()));
    if (!read.faults.empty()) {
        QStringList faults;
        for (const std::string& fault : read.faults)
            faults.push_back(QString::fromStdString(fault));
        warn(QStringLiteral("Open bank"), QStringLiteral("The bank is damaged:\n%1\nIts whole voices are in the window; "
                                                         "the slots of the damaged blocks are empty.")
                                              .arg(faults.join(QLatin1Char('\n'))));
    }
    return true;
}

bool TBankEdit::saveBankFile(const QString& path)
{
    if (!bank_.complete()) {
        warn(QStringLiteral("Save bank"), QStringLiteral("The bank cannot be saved yet: %1.")
                                              .arg(QString::fromStdString(bank_.missing())));
        return false;
    }
    // As the instrument sent it: with the device byte it came with.
    const std::vector<std::uint8_t> message = bank_.encode(bank_.device());
    if (!writeFileAtomically(path.toStdString(), message.data(), message.size())) {
        warn(QStringLiteral("Save bank"), QStringLiteral("%1 could not be written; nothing was changed.").arg(path));
        return false;
    }
    say(QStringLiteral("Saved the bank to %1.").arg(path));
    return true;
}

void TBankEdit::OpenBankClick()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open bank"), {},
                                                      QStringLiteral("System Exclusive files (*.syx *.SYX);;All files (*)"));
    if (!path.isEmpty())
        openBankFile(path);
}

void TBankEdit::SaveBankClick()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save bank"), {},
                                                      QStringLiteral("System Exclusive files (*.syx *.SYX)"));
    if (!path.isEmpty())
        saveBankFile(path);
}

namespace {

// The progress of a bank on its way, shown at once over the bank window and
// left open until the transfer is over.
void prepareProgress(QProgressDialog& progress, const QString& title)
{
    progress.setObjectName(QStringLiteral("BankProgress"));
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
}

} // namespace

void TBankEdit::takeBank(const QString& title, std::optional<DumpLayout> request)
{
    MidiPort& port = *context_.midiPort;
    if (const MidiError error = port.startBankReceive(request, context_.settings->midiChannel)) {
        warn(title, QStringLiteral("The bank request could not be sent: %1").arg(QString::fromStdString(*error)));
        return;
    }
    const DumpLayout expected = request.value_or(bank_.layout());
    const int blocks = bankBlocks(bankFormat(expected));
    const auto cableTime = MidiPort::bankCableTime(expected);
    QProgressDialog progress(QStringLiteral("Waiting for the bank..."), QStringLiteral("Cancel"), 0, blocks, this);
    prepareProgress(progress, title);
    progress.setValue(0);
    progress.show();

    QEventLoop loop;
    QTimer poll;
    MidiPort::BankArrival arrival;
    bool cancelled = false;
    connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        cancelled = true;
        loop.quit();
    });
    connect(&poll, &QTimer::timeout, &loop, [&] {
        arrival = port.bankArrival();
        using State = MidiPort::BankArrival::State;
        if (arrival.state != State::Waiting && arrival.state != State::Arriving) {
            loop.quit();
            return;
        }
        if (arrival.blocks > 0) {
            progress.setMaximum(arrival.of);
            progress.setValue(arrival.blocks);
            progress.setLabelText(QStringLiteral("Received %1 of %2 blocks.").arg(arrival.blocks).arg(arrival.of));
        } else if (request) {
            // A MIDI system that hands the bank over only whole (ALSA): the
            // bar shows the time a bank takes on a MIDI cable.
            const double part = std::min(0.95, static_cast<double>(arrival.waited.count()) / cableTime.count());
            progress.setValue(static_cast<int>(part * blocks));
            progress.setLabelText(QStringLiteral("Receiving the bank: %1 s (a bank takes about %2 s on a MIDI cable).")
                                      .arg(arrival.waited.count() / 1000)
                                      .arg((cableTime.count() + 999) / 1000));
        } else {
            progress.setLabelText(QStringLiteral("Waiting for a bank: start the bulk dump on the instrument (%1 s).")
                                      .arg(arrival.waited.count() / 1000));
        }
    });
    poll.start(50);
    loop.exec();
    poll.stop();
    // Closing the dialog says "canceled" too.
    disconnect(&progress, &QProgressDialog::canceled, nullptr, nullptr);
    port.stopBankReceive();
    progress.close();

    using State = MidiPort::BankArrival::State;
    if (cancelled) {
        say(QStringLiteral("%1 was cancelled; the window is as it was.").arg(title));
        return;
    }
    if (arrival.state == State::NoReply) {
        warn(title, QStringLiteral("No bank came from the instrument. Check the MIDI connections, the device number "
                                   "and the model chosen."));
        return;
    }
    if (arrival.state == State::Stopped) {
        if (offerAgain(title, QStringLiteral("The bank stopped coming after %1 of its %2 blocks; the window is as it "
                                             "was.")
                                  .arg(arrival.blocks)
                                  .arg(arrival.of),
                       request.has_value()))
            takeBank(title, request);
        return;
    }
    BankRead read = readVoiceBank(arrival.message.data(), arrival.message.size());
    bank_ = read.bank;
    showBank();
    say(QStringLiteral("Received a %1 bank, %2 whole voices.").arg(modelOf(bank_)).arg(read.wholeVoices()));
    if (!read.faults.empty()) {
        QStringList faults;
        for (const std::string& fault : read.faults)
            faults.push_back(QString::fromStdString(fault));
        if (offerAgain(title, QStringLiteral("The bank arrived damaged:\n%1\nIts whole voices are in the window; the "
                                             "slots of the damaged blocks are empty.")
                                  .arg(faults.join(QLatin1Char('\n'))),
                       request.has_value()))
            takeBank(title, request);
    }
}

bool TBankEdit::offerAgain(const QString& title, const QString& text, bool requested)
{
    QMessageBox message(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
    message.setObjectName(QStringLiteral("BankMessage"));
    QPushButton* again = message.addButton(requested ? QStringLiteral("Get again") : QStringLiteral("Receive again"),
                                           QMessageBox::ActionRole);
    again->setObjectName(QStringLiteral("GetAgain"));
    message.setDefaultButton(QMessageBox::Ok);
    services_.showModal(message);
    return message.clickedButton() == again;
}

void TBankEdit::GetBankClick()
{
    const DumpLayout layout = context_.settings->model == kModelTg33 ? DumpLayout::Tg33 : DumpLayout::Sy;
    takeBank(QStringLiteral("Get bank"), layout);
}

void TBankEdit::ReceiveBankClick()
{
    takeBank(QStringLiteral("Receive bank"), std::nullopt);
}

void TBankEdit::SendBankClick()
{
    const QString title = QStringLiteral("Send bank");
    if (!bank_.complete()) {
        warn(title, QStringLiteral("The bank cannot be sent yet: %1.").arg(QString::fromStdString(bank_.missing())));
        return;
    }
    const bool sy = bank_.needsMulti();
    QMessageBox question(
        QMessageBox::Warning, title,
        QStringLiteral("Sending the bank replaces all 64 internal voices of the instrument%1. The instrument stores "
                       "the bank only while its memory protect is off: turn it off on the instrument first.\n\n"
                       "Send the %2 bank now?")
            .arg(sy ? QStringLiteral(" and all its multis (with the multi data of the bank this one came from)")
                    : QString(),
                 modelOf(bank_)),
        QMessageBox::Yes | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("SendBankWarning"));
    question.setDefaultButton(QMessageBox::Cancel);
    if (services_.showModal(question) != QMessageBox::Yes)
        return;

    MidiPort& port = *context_.midiPort;
    if (!port.sendBank(bank_.encode(context_.settings->midiChannel))) {
        warn(title, QString::fromStdString(port.sendError().empty() ? "No MIDI output is open." : port.sendError()));
        return;
    }
    const int blocks = bankBlocks(bank_.format());
    QProgressDialog progress(QStringLiteral("Sending the bank..."), QStringLiteral("Cancel"), 0, blocks, this);
    prepareProgress(progress, title);
    progress.show();
    QEventLoop loop;
    QTimer poll;
    bool cancelled = false;
    connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        if (cancelled)
            return;
        cancelled = true;
        port.cancelBank();
        progress.setLabelText(QStringLiteral("Stopping after the block on its way..."));
    });
    MidiPort::BankSending state;
    connect(&poll, &QTimer::timeout, &loop, [&] {
        state = port.bankSending();
        progress.setValue(state.blocksSent);
        if (!cancelled)
            progress.setLabelText(QStringLiteral("Sent %1 of %2 blocks.").arg(state.blocksSent).arg(blocks));
        if (state.done)
            loop.quit();
    });
    poll.start(50);
    loop.exec();
    poll.stop();
    // Closing the dialog says "canceled" too.
    disconnect(&progress, &QProgressDialog::canceled, nullptr, nullptr);
    progress.close();
    if (state.blocksSent == blocks)
        say(QStringLiteral("Sent the bank: %1 blocks.").arg(blocks));
    else
        say(QStringLiteral("Send bank stopped after %1 of %2 blocks; the message was closed, and the instrument does "
                           "not store an incomplete bank.")
                .arg(state.blocksSent)
                .arg(blocks));
}

void TBankEdit::LoadSlotClick()
{
    const int slot = currentSlot();
    VoiceParameters voice;
    if (slot < 0 || !bank_.decode(slot, voice)) {
        say(QStringLiteral("Choose a slot that holds a voice."));
        return;
    }
    *context_.voice = voice;
    services_.voiceLoaded();
    services_.refreshEditors();
    services_.sendVoice();
    say(QStringLiteral("Loaded %1 \"%2\" into the editors and sent it.")
            .arg(QString::fromStdString(slotName(slot)), QString::fromStdString(bank_.name(slot))));
}

void TBankEdit::PutVoiceClick()
{
    const int slot = currentSlot();
    if (slot < 0) {
        say(QStringLiteral("Choose the slot to put the current voice in."));
        return;
    }
    if (const std::string fault = bank_.putVoice(slot, *context_.voice); !fault.empty()) {
        warn(QStringLiteral("Put current voice"),
             QStringLiteral("The voice was not put into the bank: %1%2")
                 .arg(QString::fromLatin1(kDumpFaultLead), QString::fromStdString(fault)));
        return;
    }
    showBank();
    selectSlot(slot);
    const bool otherModel = (context_.settings->model == kModelTg33) != (bank_.layout() == DumpLayout::Tg33);
    say(QStringLiteral("Put the current voice into %1.").arg(QString::fromStdString(slotName(slot)))
        + converted(otherModel ? 1 : 0));
}

void TBankEdit::moveSlot(int from, int to)
{
    if (from < 0 || from >= kBankVoices || to < 0 || to >= kBankVoices || from == to)
        return;
    bank_.swap(from, to);
    showBank();
    selectSlot(to);
    say(QStringLiteral("%1 and %2 changed places.")
            .arg(QString::fromStdString(slotName(from)), QString::fromStdString(slotName(to))));
}

void TBankEdit::dropRecords(const std::vector<int>& records, int slot)
{
    VoiceLibrary& library = *context_.library;
    int put = 0;
    int changed = 0;
    for (int record : records) {
        if (slot + put >= kBankVoices)
            break;
        LibraryRecord bytes{};
        if (const LibraryResult read = library.readRecord(record, bytes); !read) {
            services_.reportLibraryError(QString::fromStdString(read.error()));
            break;
        }
        const std::optional<bool> conversion = bank_.putDump(slot + put, bytes.data() + kRecordMaskSize, kSyDumpSize);
        if (!conversion)
            continue;
        changed += *conversion ? 1 : 0;
        ++put;
    }
    showBank();
    selectSlot(slot);
    say(QStringLiteral("Put %1 voice%2 from the library into the bank from %3 on.")
            .arg(put)
            .arg(put == 1 ? QString() : QStringLiteral("s"))
            .arg(QString::fromStdString(slotName(slot)))
        + converted(changed));
}

void TBankEdit::AddToLibraryClick()
{
    std::vector<SourceVoice> voices;
    for (int slot = 0; slot < kBankVoices; ++slot) {
        SourceVoice voice{slot + 1, {}};
        if (bank_.decode(slot, voice.voice))
            voices.push_back(voice);
    }
    if (voices.empty()) {
        say(QStringLiteral("The bank holds no voice to add."));
        return;
    }
    TSelectVoiceType& dialog = services_.selectVoiceType();
    const int answer = services_.showModal(dialog);
    const std::uint32_t categories = dialog.buildCategoryMask();
    if (answer == QDialog::Rejected || categories == 0)
        return;
    // Beside the window, as the library box's import (a large library takes a while).
    ImportReport report;
    runBeside(this, context_.library->path(), [&](VoiceLibrary& library, ReadProgress& progress) {
        report = importVoices(library, voices, categories, &progress);
    });
    if (libraryChanged_)
        libraryChanged_();
    const QString summary = QString::fromStdString(report.summary(context_.library->path()));
    say(summary);
    if (report.refused && !report.cancelled)
        warn(QStringLiteral("Add all to library"), summary);
}

} // namespace morvane
