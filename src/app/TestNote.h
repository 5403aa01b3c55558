// The test note that auditions the voice: a note-on, then its note-off once
// the note's length has passed and it is no longer held. Runs on the
// window thread and never waits: the messages go through the port's send
// queue, ahead of any voice dump that waits there. The length is measured on
// the clock it is given, the MIDI port's; its timer only wakes it to look.
#pragma once

#include "Clock.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

namespace morvane {

class TestNote : public QObject {
    Q_OBJECT
public:
    using Send = std::function<void(std::vector<std::uint8_t>)>;
    explicit TestNote(Send send, Now now = SteadyClock::now, QObject* parent = nullptr);
    // Ends a note that still sounds.
    ~TestNote() override;

    // Ends a note that still sounds, then starts this one, held.
    void start(int channel, int key, int velocity, int lengthMs);
    // No longer held: the note ends now when its length has passed, else
    // when it passes.
    void release();
    // Ends the note now, if one sounds.
    void stop();
    bool sounding() const { return sounding_; }

signals:
    // The timer woke it and it looked at the clock.
    void looked();

private:
    bool lengthOver() const { return now_() >= endsAt_; }
    // Wakes when the length will have passed by the clock, or stops the note
    // when it has and the note is no longer held.
    void look();

    Send send_;
    Now now_;
    QTimer timer_;
    SteadyClock::time_point endsAt_{};
    bool sounding_ = false;
    bool held_ = false;
    int channel_ = 0;
    int key_ = 0;
};

} // namespace morvane
