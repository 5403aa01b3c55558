// The port watch on the ALSA sequencer: which announcements change the
// lists of ports, and the listener itself, which on a machine without a
// sequencer gives way to listing the ports on every look.
#include "AlsaPortAnnouncements.h"
#include "SystemMidiBackend.h"

#include <gtest/gtest.h>

#include <alsa/asoundlib.h>

#include <chrono>
#include <thread>

#include <unistd.h>

namespace morvane {
namespace {

using namespace std::chrono_literals;

TEST(AlsaPortAnnouncements, OnlyClientsAndPortsThatStartExitOrChangeChangeTheLists)
{
    const struct {
        int type;
        bool changes;
    } cases[] = {
        {SND_SEQ_EVENT_CLIENT_START, true},    {SND_SEQ_EVENT_CLIENT_EXIT, true},
        {SND_SEQ_EVENT_CLIENT_CHANGE, true},   {SND_SEQ_EVENT_PORT_START, true},
        {SND_SEQ_EVENT_PORT_EXIT, true},       {SND_SEQ_EVENT_PORT_CHANGE, true},
        // Connections, our own among them, leave the lists as they are.
        {SND_SEQ_EVENT_PORT_SUBSCRIBED, false}, {SND_SEQ_EVENT_PORT_UNSUBSCRIBED, false},
        {SND_SEQ_EVENT_SYSEX, false},          {SND_SEQ_EVENT_NOTEON, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(announcementChangesPorts(c.type), c.changes) << "event type " << c.type;
}

// Reads announcements until a look finds none.
bool settles(AlsaPortAnnouncements& watch)
{
    for (int look = 0; look < 40; ++look) {
        if (!watch.portsMayHaveChanged())
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

bool toldWithin(AlsaPortAnnouncements& watch, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!watch.portsMayHaveChanged()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// Where the machine has a sequencer, another client's port coming and going
// is told, and nothing else; where it has none, every look says yes, so that
// the watch lists the ports as before.
TEST(AlsaPortAnnouncements, TellOfPortsThatComeAndGoOrElseAlwaysSayTheyMay)
{
    const bool sequencer = ::access("/dev/snd/seq", R_OK | W_OK) == 0;
    AlsaPortAnnouncements watch("announce-test");
    ASSERT_EQ(watch.listening(), sequencer);
    SystemMidiBackend backend("announce-backend", SystemMidiBackend::System::Alsa);
    EXPECT_TRUE(watch.portsMayHaveChanged()) << "the first look";
    EXPECT_TRUE(backend.portsMayHaveChanged()) << "the first look";
    if (!sequencer) {
        EXPECT_EQ(backend.systemName(), "none");
        for (int look = 0; look < 3; ++look) {
            EXPECT_TRUE(watch.portsMayHaveChanged());
            EXPECT_TRUE(backend.portsMayHaveChanged());
        }
        return;
    }

    ASSERT_TRUE(settles(watch));
    snd_seq_t* other = nullptr;
    ASSERT_EQ(snd_seq_open(&other, "default", SND_SEQ_OPEN_DUPLEX, 0), 0);
    ASSERT_GE(snd_seq_create_simple_port(other, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                         SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION),
              0);
    EXPECT_TRUE(toldWithin(watch, 2s));
    ASSERT_TRUE(settles(watch));
    snd_seq_close(other);
    EXPECT_TRUE(toldWithin(watch, 2s));
    ASSERT_TRUE(settles(watch));
    // The backend's own listener hears the same.
    EXPECT_EQ(backend.systemName(), "ALSA");
    for (int look = 0; look < 40 && backend.portsMayHaveChanged(); ++look)
        std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(backend.portsMayHaveChanged());
}

} // namespace
} // namespace morvane
