// A host that records what the editors ask of the program.
#pragma once

#include "EditorHost.h"
#include "VoiceData.h"

#include <string>
#include <vector>

namespace morvane::test {

class FakeEditorHost : public EditorHost {
public:
    FakeEditorHost() : data(voiceParams) {}

    VoiceParameters& voice() override { return voiceParams; }
    bool autoSend() const override { return autoSendOn; }
    void sendVoice() override
    {
        const VoiceDump dump = data.encodeDump();
        sent.emplace_back(dump.begin(), dump.end());
    }
    void getVoice() override { ++getVoiceCalls; }
    void showHelp(int context) override { helpContexts.push_back(context); }
    int model() const override { return modelSetting; }
    void setModel(int model) override { modelSetting = model; }
    void voiceEdited(const std::string& name, const std::string& key) override { edits.push_back({name, key}); }
    void undo() override { ++undoCalls; }
    void redo() override { ++redoCalls; }
    bool comparing() const override { return comparingOn; }
    void setComparing(bool on) override { comparingOn = on; }
    void startTestNote() override { notes.push_back("start"); }
    void releaseTestNote() override { notes.push_back("release"); }

    VoiceParameters voiceParams{};
    VoiceData data;
    bool autoSendOn = true;
    int modelSetting = 0;
    std::vector<std::pair<std::string, std::string>> edits;  // undo steps: name, key
    int undoCalls = 0;
    int redoCalls = 0;
    bool comparingOn = false;
    std::vector<std::string> notes;  // "start", "release" in the order asked
    std::vector<std::vector<std::uint8_t>> sent;
    int getVoiceCalls = 0;
    std::vector<int> helpContexts;
};

// Records the order in which element editors are asked to redraw.
class RecordingDrawer : public EnvelopeDrawer {
public:
    RecordingDrawer(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    void drawEnvelope() override { log_.push_back(name_); }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

} // namespace morvane::test
