#include "AlsaPortAnnouncements.h"

#include <alsa/asoundlib.h>

#include <cerrno>

namespace morvane {

namespace {

// Announcements read in one call at most; a flood beyond it is taken as a
// change and the rest is read next time.
constexpr int kMostEventsAtOnce = 1000;

} // namespace

bool announcementChangesPorts(int eventType)
{
    switch (eventType) {
    case SND_SEQ_EVENT_CLIENT_START:
    case SND_SEQ_EVENT_CLIENT_EXIT:
    case SND_SEQ_EVENT_CLIENT_CHANGE:
    case SND_SEQ_EVENT_PORT_START:
    case SND_SEQ_EVENT_PORT_EXIT:
    case SND_SEQ_EVENT_PORT_CHANGE:
        return true;
    default:
        return false;
    }
}

namespace {

// Names our client, makes its port and connects the announcements to it;
// negative on failure. The port takes events (the announcements) but offers
// no connection to others, and is left out of the lists other programs
// route with.
int listenToAnnouncements(snd_seq_t* seq, const std::string& clientName)
{
    if (const int error = snd_seq_set_client_name(seq, (clientName + " watch").c_str()); error < 0)
        return error;
    const int port = snd_seq_create_simple_port(seq, "announcements", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                                SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0)
        return port;
    return snd_seq_connect_from(seq, port, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE);
}

} // namespace

AlsaPortAnnouncements::AlsaPortAnnouncements(const std::string& clientName)
{
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0)
        return;
    if (listenToAnnouncements(seq, clientName) < 0) {
        snd_seq_close(seq);
        return;
    }
    seq_ = seq;
}

AlsaPortAnnouncements::~AlsaPortAnnouncements()
{
    if (seq_)
        snd_seq_close(seq_);
}

bool AlsaPortAnnouncements::portsMayHaveChanged()
{
    if (!seq_)
        return true;
    bool changed = first_;
    first_ = false;
    for (int read = 0; read < kMostEventsAtOnce; ++read) {
        snd_seq_event_t* event = nullptr;
        const int result = snd_seq_event_input(seq_, &event);
        if (result == -EAGAIN)
            return changed;
        if (result == -ENOSPC) {
            // The input overran and announcements were lost; the sequencer
            // has emptied it, and what came after is read on.
            changed = true;
            continue;
        }
        if (result == -EINTR)
            return true;
        if (result < 0) {
            // The sequencer no longer answers: from now on every look lists
            // the ports.
            snd_seq_close(seq_);
            seq_ = nullptr;
            return true;
        }
        if (event && announcementChangesPorts(event->type))
            changed = true;
    }
    return true;
}

} // namespace morvane
