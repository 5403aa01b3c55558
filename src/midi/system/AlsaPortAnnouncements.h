// Listens to the ALSA sequencer's announcements of clients and ports that
// start, exit or change, so that the port watch lists the ports again only
// when the sequencer has told of a change. A client of its own
// ("<clientName> watch") with one port that only receives: other programs
// can neither connect to it nor see it among the ports they can use.
#pragma once

#include <string>

typedef struct _snd_seq snd_seq_t;

namespace morvane {

class AlsaPortAnnouncements {
public:
    // Opens the listener; when the sequencer cannot be reached or refuses
    // the subscription there is none, and portsMayHaveChanged always says
    // yes.
    explicit AlsaPortAnnouncements(const std::string& clientName);
    ~AlsaPortAnnouncements();
    AlsaPortAnnouncements(const AlsaPortAnnouncements&) = delete;
    AlsaPortAnnouncements& operator=(const AlsaPortAnnouncements&) = delete;

    // Whether the announcements reach us.
    bool listening() const { return seq_ != nullptr; }

    // Reads the announcements that came since the last call, without
    // waiting: true when a client or port started, exited or changed, the
    // first time, when announcements were lost (the input overran) and when
    // there is no listener.
    bool portsMayHaveChanged();

private:
    snd_seq_t* seq_ = nullptr;
    bool first_ = true;
};

// Whether an announcement of this sequencer event type changes the lists of
// ports: a client or port that started, exited or changed. Connections made
// or broken (our own among them) do not.
bool announcementChangesPorts(int eventType);

} // namespace morvane
