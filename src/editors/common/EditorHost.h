// What an editor window needs from the rest of the program: the current
// voice, the auto-send switch, and the ways to reach the instrument and the
// help pages. The application provides the one host; tests provide their own.
#pragma once

#include "VoiceParameters.h"

#include <string>

namespace morvane {

class EditorHost {
public:
    virtual ~EditorHost() = default;

    virtual VoiceParameters& voice() = 0;
    virtual bool autoSend() const = 0;
    // Sends the whole voice as one bulk dump.
    virtual void sendVoice() = 0;
    // Asks the instrument for its edit voice; on success the four editors
    // are refreshed by the host.
    virtual void getVoice() = 0;
    virtual void showHelp(int context) = 0;
    // The instrument model setting: 0 SY-22, 1 SY-35, 2 TG-33 (a stored
    // setting may hold another value). Only the AWM element editor sets it.
    virtual int model() const = 0;
    virtual void setModel(int model) = 0;

    // The user changed the voice through an editor: one undo step named
    // `name`; changes under one non-empty key within a short pause are one.
    virtual void voiceEdited(const std::string& name, const std::string& key) = 0;
    // Take the last step back, or again; the host refreshes the editors.
    virtual void undo() = 0;
    virtual void redo() = 0;

    // Compare: while on, the editors show the voice as it was last loaded,
    // read-only, and the instrument plays it; off, the edited voice is back
    // in both. The host tells every editor (EditorWindow::showComparing).
    virtual bool comparing() const = 0;
    virtual void setComparing(bool on) = 0;

    // The test note on the program's channel. Starting ends a note that
    // still sounds. A held note sounds until it is released, and at least
    // for the note's set length; a note released at once (a click, a
    // shortcut) sounds for that length.
    virtual void startTestNote() = 0;
    virtual void releaseTestNote() = 0;

    // Hardware controllers: learning binds the next control change or pitch
    // bend on the controller input to the field at `path`, which it moves
    // from then on; forgetting drops it. controllerOf names the controller
    // bound ("CC 74, channel 1"), empty with none.
    virtual void learnController(const std::string& path) { (void)path; }
    virtual void forgetController(const std::string& path) { (void)path; }
    virtual std::string controllerOf(const std::string& path) const
    {
        (void)path;
        return {};
    }
};

// The element editors draw their envelopes with the voice-wide attack and
// release adjustments applied; the voice common editor asks them to redraw.
// Both show the envelope delay time, which all elements share: each tells
// the other when it changes there.
class EnvelopeDrawer {
public:
    virtual ~EnvelopeDrawer() = default;
    virtual void drawEnvelope() = 0;
    // The delay time was changed in the other element editor: show it and
    // redraw, sending nothing.
    virtual void envDelayChanged() {}
};

} // namespace morvane
