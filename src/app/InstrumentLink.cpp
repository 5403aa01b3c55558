#include "InstrumentLink.h"

#include "TestNote.h"
#include "VoiceData.h"

namespace morvane {

InstrumentLink::InstrumentLink(MidiPort* const& port, VoiceData& voice, Now now)
    : port_(port), voice_(voice), testNote_(std::make_unique<TestNote>(
                                      [this](std::vector<std::uint8_t> message) {
                                          // With no output open there is nothing to tell: opening said so.
                                          if (port_ != nullptr)
                                              port_->sendShort(std::move(message), afterVoice_);
                                      },
                                      std::move(now)))
{
}

InstrumentLink::~InstrumentLink() = default;

void InstrumentLink::sendVoice(int channel)
{
    port_->sendVoice(voice_, channel);
}

void InstrumentLink::sendVoice(const VoiceParameters& voice, int channel)
{
    if (port_ == nullptr)
        return;
    VoiceParameters copy;
    VoiceData data(copy);
    copy = voice;
    port_->sendVoice(data, channel);
}

void InstrumentLink::setWireRate(int baud)
{
    port_->setWireRate(baud);
}

VoiceRequest InstrumentLink::requestVoice(int model, int channel)
{
    return port_->requestVoice(model, channel, voice_);
}

void InstrumentLink::startTestNote(int channel, int key, int velocity, int lengthMs, bool afterVoice)
{
    afterVoice_ = afterVoice;
    testNote_->start(channel, key, velocity, lengthMs);
    afterVoice_ = false;
}

void InstrumentLink::releaseTestNote()
{
    testNote_->release();
}

void InstrumentLink::stopTestNote()
{
    testNote_->stop();
}

bool InstrumentLink::testNoteSounding() const
{
    return testNote_->sounding();
}

} // namespace morvane
