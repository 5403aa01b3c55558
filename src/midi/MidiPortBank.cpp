// The port's voice bank transfers: taking a bank as its blocks arrive, and
// sending one block by block through the paced queue.
#include "MidiPort.h"

#include "VoiceBank.h"

namespace morvane {

std::chrono::milliseconds MidiPort::bankCableTime(DumpLayout layout)
{
    const BankFormat& f = bankFormat(layout);
    const auto bytes = std::chrono::milliseconds(bankSize(f) * 10 * 1000 / SendPacer::kCableBaud);
    return bytes + std::chrono::milliseconds(kBankBlockPauseMs) * (bankBlocks(f) - 1);
}

MidiError MidiPort::startBankReceive(std::optional<DumpLayout> request, int midiChannel)
{
    {
        std::lock_guard lock(mutex_);
        bankListening_ = true;
        bankRequested_ = request.has_value();
        bankExpected_ = request;
        bankMessage_.clear();
        bankBlocks_ = 0;
        bankBlocksOf_ = request ? bankBlocks(bankFormat(*request)) : 0;
        bankActivity_ = std::chrono::steady_clock::now();
        bankStart_ = bankActivity_;
    }
    if (!request)
        return std::nullopt;
    finishSending();
    const auto message = bankRequest(*request, midiChannel);
    MidiError error;
    {
        std::lock_guard output(outputMutex_);
        error = output_.link == Link::Open ? backend_->send(message.data(), message.size())
                                           : MidiError("No MIDI output is open.");
    }
    std::lock_guard lock(mutex_);
    if (error)
        bankListening_ = false;
    // The reply wait starts when the request has gone out.
    bankActivity_ = std::chrono::steady_clock::now();
    bankStart_ = bankActivity_;
    return error;
}

MidiPort::BankArrival MidiPort::bankArrival()
{
    std::lock_guard lock(mutex_);
    BankArrival arrival;
    arrival.blocks = bankBlocks_;
    arrival.of = bankBlocksOf_;
    const auto now = std::chrono::steady_clock::now();
    arrival.waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - bankStart_);
    if (!bankMessage_.empty()) {
        arrival.state = BankArrival::State::Complete;
        arrival.message = bankMessage_;
        return arrival;
    }
    const auto quiet = now - bankActivity_;
    if (bankBlocks_ > 0)
        arrival.state = quiet > kBankBlockWait ? BankArrival::State::Stopped : BankArrival::State::Arriving;
    else if (bankRequested_ && quiet > bankReplyWait_)
        arrival.state = BankArrival::State::NoReply;
    else
        arrival.state = BankArrival::State::Waiting;
    return arrival;
}

void MidiPort::stopBankReceive()
{
    std::lock_guard lock(mutex_);
    bankListening_ = false;
    bankMessage_.clear();
    bankMessage_.shrink_to_fit();
}

bool MidiPort::onBank(const std::uint8_t* data, std::size_t size, bool whole)
{
    const std::optional<DumpLayout> layout = bankLayout(data, size);
    if (!layout)
        return false;
    std::lock_guard lock(mutex_);
    if (!bankListening_ || !bankMessage_.empty() || (bankExpected_ && *bankExpected_ != *layout))
        return true;
    const BankFormat& f = bankFormat(*layout);
    bankBlocksOf_ = bankBlocks(f);
    int blocks = 0;
    while (blocks < bankBlocksOf_ && bankBlockStart(f, blocks + 1) <= size)
        ++blocks;
    if (whole) {
        bankMessage_.assign(data, data + size);
        bankBlocks_ = std::max(bankBlocks_, blocks);
    } else if (blocks > bankBlocks_) {
        bankBlocks_ = blocks;
    } else if (bankBlocks_ == 0 && blocks == 0) {
        // The first bytes of the first block: the bank has begun.
    } else {
        return true;
    }
    bankActivity_ = std::chrono::steady_clock::now();
    return true;
}

bool MidiPort::sendBank(const std::vector<std::uint8_t>& message)
{
    std::vector<std::vector<std::uint8_t>> pieces = bankPieces(message);
    if (pieces.empty() || output_.link != Link::Open)
        return false;
    {
        std::lock_guard lock(sendMutex_);
        pacer_.offerBank(std::move(pieces), std::chrono::milliseconds(kBankBlockPauseMs));
    }
    sendWake_.notify_one();
    return true;
}

void MidiPort::cancelBank()
{
    {
        std::lock_guard lock(sendMutex_);
        pacer_.dropBank();
    }
    sendWake_.notify_one();
}

MidiPort::BankSending MidiPort::bankSending() const
{
    std::lock_guard lock(sendMutex_);
    return {pacer_.bankPiecesSent(), pacer_.bankPieces(), !pacer_.bankPending() && !inFlight_};
}

} // namespace morvane
