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
    // Any other message (a dump request): never merged or dropped, sent
    // after everything that waits now.
    void offerMessage(Bytes message);

    // A short channel message (a note-on or note-off of the test note): it
    // goes ahead of everything that waits, after the short messages offered
    // before it, and is handed over at once even while the cable carries a
    // dump; the MIDI system sends it right after that dump's last byte.
    void offerShort(Bytes message);

    // The message that may be handed over now, if any. From then on the
    // cable counts as busy with it for its wire time.
    std::optional<Bytes> takeDue();

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
    };

    Now now_;
    int baud_;
    std::deque<Entry> queue_;
    Clock::time_point busyUntil_{};
};

} // namespace morvane
