// The one converter between the current voice and the voice bulk dump.
#pragma once

#include "DumpFormat.h"
#include "VoiceParameters.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvane {

class VoiceData {
public:
    // Resets the voice it is given, as the program does once at start-up.
    explicit VoiceData(VoiceParameters& voice);

    // Every field 0, the name "12345678".
    void resetParameters();

    // Builds the 592-byte SY-layout message of the voice. The bytes stay valid
    // until the next call; the caller may change the device byte in place.
    // Every field is masked to the width it travels in, so the message is
    // valid System Exclusive whatever the record holds.
    std::uint8_t* encodeDump();

    // Fills the voice from a voice dump in the SY or TG-33 layout. Anything
    // that voiceDumpLayout does not take for one (a message of another maker,
    // a truncated or overlong dump, an unknown identifier) is refused: the
    // voice is left untouched and false is returned.
    bool decodeDump(const std::uint8_t* message, std::size_t length);

    VoiceParameters& parameters() { return voice_; }

private:
    void writeByte(std::uint8_t byte);
    void writeSplit(std::uint8_t value);
    void writeElementHeader(const ElementParams& element, bool awm);
    void writeEnvelope(const EnvelopeParams& envelope);
    void writeOperator(const FmOperatorParams& op);
    void writeAwmElement(const AwmElementParams& element);
    void writeFmElement(const FmElementParams& element);
    void writeVector(const VectorParams& vector);

    VoiceParameters& voice_;
    std::uint8_t runningSum = 0;
    std::uint8_t dumpBuffer[kSyDumpSize] = {};
    int writePos = 0;
    std::string_view formatId = kSyFormatId;
};

} // namespace morvane
