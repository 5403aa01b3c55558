#include "TFindInstrument.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace morvane {

namespace {

QString joined(const std::vector<std::string>& names)
{
    QStringList list;
    for (const std::string& name : names)
        list << QString::fromStdString(name);
    return list.join(QStringLiteral(", "));
}

QString failures(const std::vector<std::pair<std::string, std::string>>& failed, const char* what)
{
    QString text;
    for (const auto& [name, why] : failed)
        text += QStringLiteral("\nThe %1 %2 could not be opened: %3")
                    .arg(QString::fromLatin1(what), QString::fromStdString(name), QString::fromStdString(why));
    return text;
}

} // namespace

TFindInstrument::TFindInstrument(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindInstrument"));
    setWindowTitle(QStringLiteral("Find instrument"));
    setWindowModality(Qt::WindowModal);

    lblExplain = new QLabel(this);
    lblExplain->setObjectName(QStringLiteral("lblExplain"));
    lblExplain->setWordWrap(true);
    pbProgress = new QProgressBar(this);
    pbProgress->setObjectName(QStringLiteral("pbProgress"));
    pbProgress->setTextVisible(false);
    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblResult = new QLabel(this);
    lblResult->setObjectName(QStringLiteral("lblResult"));
    lblResult->setWordWrap(true);
    lblResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bStart = new QPushButton(QStringLiteral("&Start"), this);
    bStart->setObjectName(QStringLiteral("bStart"));
    bCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    bCancel->setObjectName(QStringLiteral("bCancel"));
    bCancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bStart);
    buttons->addWidget(bCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblExplain);
    layout->addWidget(pbProgress);
    layout->addWidget(lblProgress);
    layout->addWidget(lblResult, 1);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(bStart, &QPushButton::clicked, this, &TFindInstrument::start);
    connect(bCancel, &QPushButton::clicked, this, &TFindInstrument::cancelOrClose);
}

TFindInstrument::~TFindInstrument()
{
    // Cancels and waits; a report still on its way to this window is
    // dropped with it.
    search_.reset();
}

void TFindInstrument::prepare(InstrumentSearch::BackendFactory factory, std::vector<std::string> inputs,
                              std::vector<std::string> outputs, QString syModel)
{
    factory_ = std::move(factory);
    inputs_ = std::move(inputs);
    outputs_ = std::move(outputs);
    syModel_ = std::move(syModel);
    const auto seconds = static_cast<double>(outputs_.size())
                         * std::chrono::duration<double>(replyWait_ + std::chrono::milliseconds(200)).count();
    lblExplain->setText(
        QStringLiteral("Find instrument listens on every MIDI input (%1) and sends a request for the voice, "
                       "for all 16 device numbers and for the SY-22/SY-35 and the TG-33, to each MIDI output in "
                       "turn (%2). Whatever else is connected to an output receives the requests too. The first "
                       "instrument that answers is selected in \"Select MIDI Devices\"; press Okay there to use "
                       "it. The search takes up to %3.")
            .arg(inputs_.size())
            .arg(outputs_.size())
            .arg(qRound(seconds) <= 1 ? QStringLiteral("a second")
                                      : QStringLiteral("%1 seconds").arg(qRound(seconds))));
    pbProgress->setRange(0, qMax<int>(1, static_cast<int>(outputs_.size())));
    pbProgress->setValue(0);
    lblProgress->clear();
    lblResult->clear();
    bStart->setEnabled(!outputs_.empty() && factory_ != nullptr);
    bStart->setDefault(true);
    bCancel->setText(QStringLiteral("&Cancel"));
    if (outputs_.empty())
        lblResult->setText(QStringLiteral("There is no MIDI output to try."));
    else if (!factory_)
        lblResult->setText(QStringLiteral("No MIDI system is available to search with."));
}

void TFindInstrument::start()
{
    if (running_ || outputs_.empty() || !factory_)
        return;
    bStart->setEnabled(false);
    lblResult->clear();
    lblProgress->setText(QStringLiteral("Opening %1 inputs ...").arg(inputs_.size()));
    search_ = std::make_unique<InstrumentSearch>(factory_, inputs_, outputs_, "morvane");
    search_->setReplyWait(replyWait_);
    running_ = true;
    emit started();
    // The reports come from the search's thread and are shown on this one;
    // one that comes after this window has gone is dropped.
    search_->start(
        [this](int index, int count, const std::string& output) {
            const QString name = QString::fromStdString(output);
            QMetaObject::invokeMethod(this, [this, index, count, name] { showProgress(index, count, name); },
                                      Qt::QueuedConnection);
        },
        [this](const SearchResult& result) {
            QMetaObject::invokeMethod(this, [this, result] { searchDone(result); }, Qt::QueuedConnection);
        });
}

void TFindInstrument::showProgress(int index, int count, const QString& output)
{
    if (!running_)
        return;
    pbProgress->setValue(index);
    lblProgress->setText(QStringLiteral("Output %1 of %2: %3").arg(index + 1).arg(count).arg(output));
}

void TFindInstrument::searchDone(const SearchResult& result)
{
    running_ = false;
    if (search_) {
        search_->wait();
        search_.reset();
    }
    pbProgress->setValue(pbProgress->maximum());
    lblProgress->clear();
    if (result.outcome == SearchResult::Outcome::Found)
        emit found(result);
    lblResult->setText(describe(result, syModel_));
    bCancel->setText(QStringLiteral("&Close"));
    bCancel->setDefault(true);
    emit finished(result);
}

QString TFindInstrument::headline(const SearchResult& result, const QString& syModel)
{
    return QStringLiteral("%1 on %2, device %3")
        .arg(result.layout == DumpLayout::Tg33 ? QStringLiteral("TG-33") : syModel,
             QString::fromStdString(result.output))
        .arg(result.device + 1);
}

QString TFindInstrument::describe(const SearchResult& result, const QString& syModel)
{
    QString text;
    switch (result.outcome) {
    case SearchResult::Outcome::Found:
        text = QStringLiteral("%1. It answers on %2.")
                   .arg(headline(result, syModel), QString::fromStdString(result.input));
        break;
    case SearchResult::Outcome::NothingFound:
        text = QStringLiteral("No instrument answered. Tried %1 output%2: %3. Listened on %4 input%5.")
                   .arg(result.tried.size())
                   .arg(result.tried.size() == 1 ? "" : "s")
                   .arg(result.tried.empty() ? QStringLiteral("none") : joined(result.tried))
                   .arg(result.inputsOpen)
                   .arg(result.inputsOpen == 1 ? "" : "s");
        break;
    case SearchResult::Outcome::Cancelled:
        text = QStringLiteral("The search was cancelled; nothing was changed.");
        break;
    }
    return text + failures(result.failedOutputs, "output") + failures(result.failedInputs, "input");
}

void TFindInstrument::cancelSearch()
{
    if (running_ && search_)
        search_->cancel();
}

void TFindInstrument::cancelOrClose()
{
    if (running_ && search_) {
        lblProgress->setText(QStringLiteral("Cancelling ..."));
        search_->cancel();
        return;
    }
    QDialog::reject();
}

void TFindInstrument::reject()
{
    // Escape and the window's close button cancel a search first; the
    // window closes once it has ended.
    if (running_) {
        cancelOrClose();
        return;
    }
    QDialog::reject();
}

} // namespace morvane
