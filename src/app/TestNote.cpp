#include "TestNote.h"

#include "DumpFormat.h"

namespace morvane {

namespace {

constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kReleaseVelocity = 64;

} // namespace

TestNote::TestNote(Send send, Now now, QObject* parent) : QObject(parent), send_(std::move(send)), now_(std::move(now))
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &TestNote::look);
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
    endsAt_ = now_() + std::chrono::milliseconds(lengthMs);
    look();
}

void TestNote::release()
{
    held_ = false;
    if (sounding_ && lengthOver())
        stop();
}

void TestNote::look()
{
    if (!sounding_)
        return;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(endsAt_ - now_());
    if (left.count() > 0)
        timer_.start(left);
    else if (!held_)
        stop();
    emit looked();
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
