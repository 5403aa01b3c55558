// What the AWM and FM element editors share: the velocity and aftertouch
// responses, the LFO group, the envelope group (scalings with their
// pictograms, type with templates and "Preset", delay, levels, rates and the
// live picture), the level and pan bars, and the link between the two
// windows for the shared envelope delay time.
//
// A derived window says where its records are (element(), envelope() ...),
// what "Preset" writes and what a template writes to, and calls the builders
// below from its own constructor, when those records can be reached.
#pragma once

#include "EditorWindow.h"
#include "EnvelopeTemplates.h"
#include "Pictograms.h"

#include <array>
#include <initializer_list>
#include <utility>
#include <vector>
#include <cstdint>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLayout;

namespace morvane {

class EnvelopePanel;

class ElementEditor : public EditorWindow, public EnvelopeDrawer {
    Q_OBJECT
public:
    // Redraws the envelope picture from the current records.
    void drawEnvelope() override;
    // The delay time was changed in the other element editor.
    void envDelayChanged() override;
    // The other element editor, told when the delay time changes here.
    void setPartner(EnvelopeDrawer* partner) { partner_ = partner; }

    EnvelopePanel& envelopePicture() const { return *envWindow_; }

protected:
    ElementEditor(EditorHost& host, const QString& objectName, const QString& caption, int helpContext,
                  QWidget* parent);

    // The element edited now (positions 0-15 mean the same in both kinds).
    virtual ElementParams& element() = 0;
    // The envelope and scalings the envelope group shows: the AWM element's
    // own, or those of the FM operator shown.
    virtual EnvelopeParams& envelope() = 0;
    virtual std::uint8_t& levelScaling() = 0;
    virtual std::uint8_t& rateScaling() = 0;
    // Whether typing a level or rate and moving a scaling bar set the type
    // to "User" (stepping a level or rate up-down always does).
    virtual bool editsSetUserType() const { return true; }
    // Writes the current wave's preset envelope, for the type "Preset".
    virtual void applyPresetEnvelope() = 0;
    // Writes a template where the envelope type acts.
    virtual void applyTemplate(int type) = 0;

    // Builders, for the derived constructor.
    // Captions with their fields, `columns` pairs to a row, each caption
    // right-aligned before its field; a cell without a caption (a check box
    // with its own text) takes both places.
    using Cells = std::vector<std::pair<QLabel*, QLayout*>>;
    static QGridLayout* captionGrid(const Cells& cells, int columns);
    // An edit box and its up-down side by side.
    static QHBoxLayout* boxAndUpDown(NumberField& field);
    // The wave list; the window fills it and handles the user's choice.
    QComboBox* waveList(const QStringList& names);
    // " Tone ": "Waveform: " with the wave list, "Pitch: " and the window's
    // own fields, two to a row, and the response bars beside them.
    QGroupBox* toneGroup(QComboBox* waves, const Cells& fields);
    QWidget* responseBars();
    // Speed, Delay (typed up to `delayTypedMax`, stepped up to 127), Rate,
    // AM and PM depth, and the LFO waveform bar with its pictograms; a
    // window adds its own rows at the bottom of `rows`, whose four columns
    // span the group.
    QGroupBox* lfoGroup(const std::array<Pictogram, 5>& waves, int delayTypedMax, const char* delayTip,
                        QGridLayout*& rows);
    // The envelope group with a picture of the given size whose levels sit
    // below `levelTop`; the window adds the picture's traces.
    QGroupBox* envelopeGroup(QSize pictureSize, int levelTop);
    // sbLevel bound to `level` and sbPan.
    QGroupBox* levelPanGroup(FieldRef level, const char* levelTip, BoundSlider*& levelBar);
    // " Options ": each list under its caption.
    QGroupBox* optionsGroup(std::initializer_list<std::pair<const char*, QComboBox*>> lists);
    // Lays the window out at its fixed size: the `left` groups top to
    // bottom; on the right the LFO group, the level and pan bars beside the
    // buttons, and the options.
    void arrange(std::initializer_list<QWidget*> left, QGroupBox* lfo, QGroupBox* levelPan, QGroupBox* options,
                 QSize size);

    // Shows every bound control, the envelope type, the delay switch's
    // boxes and the picture. A derived refresh does its own part first.
    void refreshControls() override;

    // Sets the envelope type to "User".
    void setUserType();

    QComboBox* cbEnvType = nullptr;
    EnvelopePanel* envWindow_ = nullptr;

private:
    void envTypeChosen(int type);
    void showDelayEnabled();

    NumberField* envelopeDelay_ = nullptr;
    EnvelopeDrawer* partner_ = nullptr;
};

} // namespace morvane
