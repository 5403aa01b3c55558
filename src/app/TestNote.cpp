#include "TestNote.h"

#include "DumpFormat.h"

namespace morvane {

namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kReleaseVelocity = 64;

} // namespace

TestNote::TestNote(Send send, QObject* parent) : QObject(parent), send_(std::move(send))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &TestNote::lengthPassed);
}

TestNote::~TestNote()
{
    stop();
}

void TestNote::start(int channel, int key, int velocity, int lengthMs)
{
    stop();
    channel_ = MidiChannel::lowNibble(channel).index();
    key_ = key & 0x7F;
    send_({static_cast<std::uint8_t>(kNoteOn | channel_), static_cast<std::uint8_t>(key_),
           static_cast<std::uint8_t>(velocity & 0x7F)});
    sounding_ = true;
    held_ = true;
    lengthOver_ = false;
    timer_.start(lengthMs);
}

void TestNote::release()
{
    held_ = false;
    if (lengthOver_)
        stop();
}

void TestNote::lengthPassed()
{
    lengthOver_ = true;
    if (!held_)
        stop();
}

void TestNote::stop()
{
    timer_.stop();
    if (!sounding_)
        return;
    sounding_ = false;
    send_({static_cast<std::uint8_t>(kNoteOff | channel_), static_cast<std::uint8_t>(key_), kReleaseVelocity});
}

} // namespace morvane
