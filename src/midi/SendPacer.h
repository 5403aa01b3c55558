// Keeps the messages sent to the instrument to the pace of its MIDI cable.
// A voice dump takes 189 ms to cross a 31,250-baud cable; handing dumps to
// the MIDI system faster than that only queues stale voices in the driver and
// the interface (and some interfaces drop bytes when they overflow). So a
// message waits until the cable has carried the one before it, and while a
// voice dump waits, a newer state of the voice takes its place: only the
// latest is sent, and the latest is always sent.
//
// The pacer only decides; whoever owns it hands the messages over. It reads
// the time from the clock it is given, so its decisions can be checked
// without waiting.
#pragma once

#include "Clock.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace morvane {

class SendPacer {
public:
    using Clock = SteadyClock;
    using Bytes = std::vector<std::uint8_t>;
    using Now = morvane::Now;
    // What a message handed over carries.
    enum class Carries : std::uint8_t { Voice, Multi, Bank, Other };

    // The MIDI cable's rate, and the rate that means "no pacing".
    static constexpr int kCableBaud = 31250;
    static constexpr int kAtOnce = 0;

    explicit SendPacer(Now now = Clock::now, int baud = kCableBaud);

    // Bits per second; kAtOnce hands every message over as soon as it comes.
    // Takes effect for the next message handed over.
    void setRate(int baud) { baud_ = baud > 0 ? baud : kAtOnce; }
    int rate() const { return baud_; }

    // How long the cable takes to carry `size` bytes at the rate (10 bits a
    // byte), with a margin of 1% for an interface whose clock runs a little
    // slow; zero at kAtOnce.
    Clock::duration wireTime(std::size_t size) const;

    // A new state of the voice. A voice dump that still waits is replaced in
    // place (so it keeps its turn before a request queued after it);
    // otherwise it joins the end of the queue.
    void offerVoice(Bytes message);
    // A new state of the multi, kept as offerVoice keeps the voice's: a
    // multi dump that still waits is replaced in place.
    void offerMulti(Bytes message);
    // Any other message (a dump request): never merged or dropped, sent
    // after everything that waits now.
    void offerMessage(Bytes message);

    // A short channel message (a note-on or note-off of the test note): it
    // goes ahead of everything that waits, after the short messages offered
    // before it, and is handed over at once even while the cable carries a
    // dump; the MIDI system sends it right after that dump's last byte.
    void offerShort(Bytes message);

    // A voice bank: one System Exclusive message in pieces, each but the
    // last followed by `pause` after the time a MIDI cable takes to carry it
    // (which holds whatever comes next, whatever the rate: the instrument
    // needs the pause after the block's last byte has reached it). Nothing else goes between its pieces: short messages and dumps
    // offered meanwhile wait until its last piece has gone.
    void offerBank(std::vector<Bytes> pieces, Clock::duration pause);
    // Drops the pieces of a bank not yet handed over. When some of it has
    // gone, a lone F7 takes their place, so the instrument's input is not
    // left inside an unfinished message. Returns the pieces dropped.
    int dropBank();
    // Pieces of the last bank offered that have been handed over, and its
    // pieces in all (0 before any bank).
    int bankPiecesSent() const { return bankSent_; }
    int bankPieces() const { return bankTotal_; }
    // True from the first piece handed over until the last (or the F7 that
    // closes a dropped bank).
    bool bankOpen() const { return bankOpen_; }
    // True while a piece of a bank (or the F7 that closes one) waits or a
    // bank is open.
    bool bankPending() const;

    // The message that may be handed over now, if any. From then on the
    // cable counts as busy with it for its wire time.
    std::optional<Bytes> takeDue();
    // What the message takeDue gave last carries.
    Carries lastTaken() const { return lastTaken_; }

    // When the first waiting message may go; none when nothing waits.
    std::optional<Clock::time_point> nextDue() const;
    bool waiting() const { return !queue_.empty(); }
    // When the cable will have carried everything handed over so far.
    Clock::time_point cableFreeAt() const { return busyUntil_; }

private:
    struct Entry {
        Bytes bytes;
        bool voice;
        bool urgent = false;
        bool bank = false;                  // a piece of a bank
        bool closesBank = false;            // its last piece, or the F7 after a dropped one
        Clock::duration pauseAfter{};
        bool multi = false;                 // a multi dump
    };

    // Where the next message to hand over waits.
    std::deque<Entry>::iterator next();

    Now now_;
    int baud_;
    std::deque<Entry> queue_;
    Clock::time_point busyUntil_{};
    // Nothing but a short message outside a bank goes before this.
    Clock::time_point holdUntil_{};
    bool bankOpen_ = false;
    int bankSent_ = 0;
    int bankTotal_ = 0;
    Carries lastTaken_ = Carries::Other;
};

} // namespace morvane
