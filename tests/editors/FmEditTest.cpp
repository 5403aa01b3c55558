#include "EditorTestSupport.h"
#include "EnvelopePanel.h"
#include "TAWMEdit.h"
#include "TFMEdit.h"

#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

using namespace morvane;
using namespace morvane::test;

class FmEditTest : public QObject, private ElementEditorUnderTest<TFMEdit> {
    Q_OBJECT

private:
    FmElementParams& b() { return host->voiceParams.elementB; }
    QString typeShown() { return get<QComboBox>("cbEnvType")->currentText(); }
    void click(const char* checkBox) { get<QCheckBox>(checkBox)->click(); }
    static std::vector<int> levels(const EnvelopeParams& e)
    {
        return {127 - e.initialLevel, 127 - e.attackLevel, 127 - e.decay1Level, 127 - e.decay2Level};
    }
    static std::vector<int> rates(const EnvelopeParams& e)
    {
        return {e.attackRate, e.decay1Rate, e.decay2Rate, e.releaseRate};
    }

private slots:
    void init()
    {
        host = std::make_unique<FakeEditorHost>();
        for (FmElementParams* e : {&host->voiceParams.elementB, &host->voiceParams.elementD}) {
            e->lfoRate = 127;  // shown 0
            for (FmOperatorParams* op : {&e->carrier, &e->modulator})
                op->envelope = {0, 63, 0, 0, 0, 63, 127, 0, 0, 0};
        }
        window = std::make_unique<TFMEdit>(*host);
        partner = {};
        window->setPartner(&partner);
        openWindow(*window, *host);
    }

    // A typed entry with the carrier shown: what is stored, what the box and
    // its up-down show, and whether the voice went out.
    void typedEntries_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("upDown");
        QTest::newRow("operator level 127 stores 0") << "tfOperatorLevel" << "127" << 0 << "127" << 127;
        QTest::newRow("operator level 128 goes back") << "tfOperatorLevel" << "128" << 40 << "87" << 87;
        QTest::newRow("LFO delay 200 beyond the up-down") << "tfLFODelay" << "200" << 200 << "200" << 127;
        QTest::newRow("LFO delay 256 goes back") << "tfLFODelay" << "256" << 0 << "0" << 0;
        QTest::newRow("LFO rate 0 stores 127") << "tfLFORate" << "0" << 127 << "0" << 0;
        QTest::newRow("LFO rate 128 goes back") << "tfLFORate" << "128" << 127 << "0" << 0;
        QTest::newRow("pitch -12") << "tfPitch" << "-12" << -12 << "-12" << -12;
        QTest::newRow("pitch +12") << "tfPitch" << "+12" << 12 << "+12" << 12;
        QTest::newRow("pitch -13 goes back") << "tfPitch" << "-13" << 0 << "0" << 0;
        QTest::newRow("feedback 7") << "tfFeedback" << "7" << 7 << "7" << 7;
        QTest::newRow("feedback 8 goes back") << "tfFeedback" << "8" << 0 << "0" << 0;
        QTest::newRow("harmonic 15") << "tfFMFrequency" << "15" << 15 << "15" << 15;
    }
    void typedEntries()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QFETCH(int, upDown);
        const QByteArray name = box.toLatin1();
        b().carrier.level = 40;
        window->updateDisplay();
        const VoiceParameters before = host->voiceParams;
        typeInto(*window, name, typed);
        const std::map<QString, int> fields{
            {"tfOperatorLevel", b().carrier.level}, {"tfLFODelay", b().lfoDelay},   {"tfLFORate", b().lfoRate},
            {"tfPitch", b().pitch},                 {"tfFeedback", b().feedback},    {"tfFMFrequency", b().carrier.frequency}};
        QCOMPARE(fields.at(box), stored);
        QCOMPARE(text(name), shown);
        QCOMPARE(position("ud" + name.mid(2)), upDown);
        if (QString(QTest::currentDataTag()).endsWith("goes back"))
            QVERIFY(sameVoice(host->voiceParams, before));
        else
            QVERIFY(!host->sent.empty());
        if (box == "tfOperatorLevel")  // the carrier's level is the element's
            QCOMPARE(get<QScrollBar>("sbLevel")->value(), int(b().carrier.level));
    }

    void anLfoDelayBeyondTheUpDownStaysUntilStepped()
    {
        b().lfoDelay = 200;
        window->updateDisplay();
        QCOMPARE(text("tfLFODelay"), QStringLiteral("200"));
        QCOMPARE(position("udLFODelay"), 127);
        step(*window, "udLFODelay", 1);  // at its end already
        QCOMPARE(int(b().lfoDelay), 200);
        step(*window, "udLFODelay", -1);
        QCOMPARE(int(b().lfoDelay), 126);
        QCOMPARE(text("tfLFODelay"), QStringLiteral("126"));
    }

    // The instrument's own rows, in shown form: choosing the wave under
    // "Preset" writes the wave preset and the carrier envelope.
    void telltaleWaves_data()
    {
        QTest::addColumn<int>("wave");
        QTest::addColumn<QList<int>>("preset");    // feedback; carrier wave, harmonic, fixed, detune, temperament;
                                                   // modulator the same, level; levels I A D1 D2; level scaling;
                                                   // rates A D1 D2 R; rate scaling
        QTest::addColumn<QList<int>>("envelope");  // carrier levels I A D1 D2; level scaling; rates; rate scaling
        QTest::newRow("E Piano1") << 0 << QList<int>{0, 0, 1, 0, 0, 0, 0, 9, 0, 3, 0, 119, 78, 78, 39, 0, 1, 63, 33, 16, 0, 0}
                                  << QList<int>{70, 127, 99, 0, 0, 59, 16, 14, 34, 1};
        QTest::newRow("Brass 1") << 14 << QList<int>{7, 4, 1, 0, 0, 0, 0, 1, 0, 0, 0, 119, 113, 74, 108, 108, 1, 41, 36, 0, 0, 3}
                                 << QList<int>{0, 127, 127, 127, 0, 33, 20, 6, 38, 2};
        QTest::newRow("Sin 8'") << 151 << QList<int>{0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 119, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}
                                << QList<int>{0, 119, 119, 119, 0, 63, 0, 0, 40, 0};
        QTest::newRow("Noise 1") << 159 << QList<int>{7, 0, 15, 1, 0, 0, 0, 15, 1, 0, 0, 119, 127, 127, 127, 127, 0, 0, 0, 0, 0, 0}
                                 << QList<int>{0, 115, 115, 115, 0, 63, 0, 0, 40, 0};
        QTest::newRow("Wave30") << 255 << QList<int>{0, 6, 2, 0, 3, 0, 4, 9, 1, 0, 0, 119, 125, 125, 125, 125, 0, 10, 10, 10, 0, 0}
                                << QList<int>{0, 125, 125, 125, 0, 63, 0, 0, 40, 0};
    }
    void telltaleWaves()
    {
        QFETCH(int, wave);
        QFETCH(QList<int>, preset);
        QFETCH(QList<int>, envelope);
        choose(*window, "cbEnvType", 1);
        choose(*window, "cbWaveform", wave);
        const FmOperatorParams& c = b().carrier;
        const FmOperatorParams& m = b().modulator;
        const std::vector<int> levelsM = levels(m.envelope);
        const std::vector<int> ratesM = rates(m.envelope);
        const QList<int> wrote{b().feedback, c.opWaveform, c.frequency, c.fixedFrequency, c.detune, c.temperament,
                               m.opWaveform, m.frequency, m.fixedFrequency, m.detune, m.temperament, 127 - m.level,
                               levelsM[0], levelsM[1], levelsM[2], levelsM[3], m.levelScaling,
                               ratesM[0], ratesM[1], ratesM[2], ratesM[3], m.rateScaling};
        QCOMPARE(wrote, preset);
        const std::vector<int> levelsC = levels(c.envelope);
        const std::vector<int> ratesC = rates(c.envelope);
        const QList<int> carrier{levelsC[0], levelsC[1], levelsC[2], levelsC[3], c.levelScaling,
                                 ratesC[0],  ratesC[1],  ratesC[2],  ratesC[3],  c.rateScaling};
        QCOMPARE(carrier, envelope);
    }

    void aWaveUnderUserLeavesTheCarrierEnvelope()
    {
        FmOperatorParams& c = b().carrier;
        c.envelope = {1, 30, 31, 2, 32, 33, 10, 0, 20, 30};
        c.level = 12;
        c.levelScaling = 5;
        b().modulator.envelope.delayOn = 1;
        b().modulator.envelope.peakStage = 3;
        b().lfoSpeed = 17;
        window->updateDisplay();
        const FmOperatorParams carrierBefore = c;
        const auto kept = [](const FmOperatorParams& op) {
            return std::vector<int>{op.level, op.levelScaling, op.rateScaling};
        };
        choose(*window, "cbWaveform", 0);
        QCOMPARE(int(b().waveform), 0);
        QCOMPARE(int(b().feedback), 0);
        QCOMPARE((std::vector<int>{c.opWaveform, c.frequency}), (std::vector<int>{0, 1}));
        QCOMPARE(levels(b().modulator.envelope), (std::vector<int>{78, 78, 39, 0}));
        QCOMPARE(rates(b().modulator.envelope), (std::vector<int>{63, 33, 16, 0}));
        QCOMPARE(int(b().modulator.envelope.peakStage), 0);  // recomputed
        QCOMPARE(int(b().modulator.envelope.delayOn), 1);    // not the preset's
        QCOMPARE(kept(c), kept(carrierBefore));
        QVERIFY(std::memcmp(&carrierBefore.envelope, &c.envelope, sizeof c.envelope) == 0);
        QCOMPARE(int(b().lfoSpeed), 17);
        QCOMPARE(typeShown(), QStringLiteral("User"));
        QCOMPARE(host->sent.size(), std::size_t{1});
        // The modulator's new settings show as soon as it is chosen.
        choose(*window, "cbOperator", 1);
        QCOMPARE(text("tfFMFrequency"), QStringLiteral("9"));
        QCOMPARE(text("tfDetune"), QStringLiteral("3"));
        QCOMPARE(text("tfOperatorLevel"), QStringLiteral("119"));
    }

    void presetAndTemplatesKeepTheirType()
    {
        choose(*window, "cbEnvType", 1);
        choose(*window, "cbWaveform", 0);
        QCOMPARE(typeShown(), QStringLiteral("Preset"));
        QCOMPARE(int(b().envType), 1);
        QCOMPARE(int(b().carrier.envelope.peakStage), 1);

        choose(*window, "cbEnvType", 2);  // Piano
        const FmOperatorParams& c = b().carrier;
        QCOMPARE((std::vector<QString>{text("tfLevelInitial"), text("tfLevelAttack"), text("tfLevelDecay1"),
                                       text("tfLevelDecay2")}),
                 (std::vector<QString>{"87", "127", "119", "0"}));
        QCOMPARE(rates(c.envelope), (std::vector<int>{63, 20, 14, 32}));
        QCOMPARE(int(c.levelScaling), 1);
        QCOMPARE(get<QSlider>("tbRateScaling")->value(), 3);
        QCOMPARE(typeShown(), QStringLiteral("Piano"));
        QCOMPARE(int(b().envType), 2);
        QCOMPARE(int(c.envelope.peakStage), 1);
        QVERIFY(levels(b().modulator.envelope) == (std::vector<int>{78, 78, 39, 0}));  // the template is the carrier's
    }

    // Which edits set the envelope type to "User": the carrier's typed
    // levels and rates and its scaling bars; any stepped level or rate.
    void theEnvelopeTypeFollowsTheEdits_data()
    {
        QTest::addColumn<bool>("carrier");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("setsUser");
        QTest::newRow("carrier level typed") << true << "type tfLevelDecay1" << true;
        QTest::newRow("carrier rate typed") << true << "type tfRateAttack" << true;
        QTest::newRow("carrier scaling moved") << true << "move tbLevelScaling" << true;
        QTest::newRow("carrier level stepped") << true << "step udLevelAttack -1" << true;
        QTest::newRow("LFO stepped") << true << "step udLFOSpeed 1" << false;
        QTest::newRow("modulator level typed") << false << "type tfLevelDecay1" << false;
        QTest::newRow("modulator scaling moved") << false << "move tbRateScaling" << false;
        QTest::newRow("modulator level stepped") << false << "step udLevelInitial 1" << true;
        QTest::newRow("modulator rate stepped") << false << "step udRateRelease -1" << true;
    }
    void theEnvelopeTypeFollowsTheEdits()
    {
        QFETCH(bool, carrier);
        QFETCH(QString, edit);
        QFETCH(bool, setsUser);
        choose(*window, "cbEnvType", 5);  // Brass
        if (!carrier)
            choose(*window, "cbOperator", 1);
        QCOMPARE(get<QComboBox>("cbEnvType")->isEnabled(), carrier);
        const QStringList parts = edit.split(' ');
        const QByteArray control = parts[1].toLatin1();
        if (parts[0] == "type")
            typeInto(*window, control, "5");
        else if (parts[0] == "move")
            moveBar(*window, control, 4);
        else
            step(*window, control, parts[2].toInt());
        QVERIFY(!host->sent.empty());  // the edit itself took effect
        QCOMPARE(int(b().envType), setsUser ? 0 : 5);
        QCOMPARE(typeShown(), setsUser ? QStringLiteral("User") : QStringLiteral("Brass"));
    }

    void theLevelBarIsTheCarriersLevel()
    {
        moveBar(*window, "sbLevel", 27);
        QCOMPARE(int(b().carrier.level), 27);
        QCOMPARE(text("tfOperatorLevel"), QStringLiteral("100"));
        QCOMPARE(position("udOperatorLevel"), 100);
        step(*window, "udOperatorLevel", 1);
        QCOMPARE(get<QScrollBar>("sbLevel")->value(), 26);

        choose(*window, "cbOperator", 1);
        typeInto(*window, "tfOperatorLevel", "90");
        QCOMPARE(int(b().modulator.level), 37);
        QCOMPARE(get<QScrollBar>("sbLevel")->value(), 26);
        moveBar(*window, "sbLevel", 5);
        QCOMPARE(int(b().carrier.level), 5);
        QCOMPARE(int(b().modulator.level), 37);
        QCOMPARE(text("tfOperatorLevel"), QStringLiteral("90"));
    }

    void barsAndSwitchesStore()
    {
        moveBar(*window, "sbPan", 0);
        QCOMPARE(int(b().pan), 4);
        moveBar(*window, "sbPan", 4);
        QCOMPARE(int(b().pan), 0);
        moveBar(*window, "tbVelResp", -5);
        QCOMPARE(int(b().velResp), -5);
        moveBar(*window, "tbATResp", 3);
        QCOMPARE(int(b().atResp), 3);
        moveBar(*window, "tbLFOWaveform", 3);
        QCOMPARE(int(b().lfoWaveform), 3);
        const std::pair<const char*, const std::uint8_t*> switches[] = {
            {"cbFixedFrequency", &b().carrier.fixedFrequency}, {"cbCarrierAM", &b().carrierAm},
            {"cbModulatorAM", &b().modulatorAm},               {"cbCarrierPM", &b().carrierPm},
            {"cbModulatorPM", &b().modulatorPm}};
        for (const auto& [name, byte] : switches) {
            click(name);
            QVERIFY2(*byte == 1, name);
        }
        click("cbCarrierPM");
        QCOMPARE(int(b().carrierPm), 0);
        QCOMPARE(host->sent.size(), std::size_t{11});
    }

    void peakPointOfTheShownOperator_data()
    {
        QTest::addColumn<bool>("carrier");
        QTest::addColumn<QStringList>("levels");
        QTest::addColumn<int>("peak");
        QTest::newRow("first of equals") << true << QStringList{"127", "127", "100", "0"} << 0;
        QTest::newRow("decay 1 over a tie") << true << QStringList{"0", "90", "120", "120"} << 2;
        QTest::newRow("the modulator's own") << false << QStringList{"0", "90", "120", "120"} << 2;
    }
    void peakPointOfTheShownOperator()
    {
        QFETCH(bool, carrier);
        QFETCH(QStringList, levels);
        QFETCH(int, peak);
        if (!carrier)
            choose(*window, "cbOperator", 1);
        const char* boxes[] = {"tfLevelInitial", "tfLevelAttack", "tfLevelDecay1", "tfLevelDecay2"};
        for (int i = 0; i < 4; ++i)
            typeInto(*window, boxes[i], levels[i]);
        const FmOperatorParams& shown = carrier ? b().carrier : b().modulator;
        const FmOperatorParams& other = carrier ? b().modulator : b().carrier;
        QCOMPARE(int(shown.envelope.peakStage), peak);
        QCOMPARE(FmEditTest::levels(other.envelope), (std::vector<int>{0, 127, 127, 127}));
    }

    // Both traces: the modulator (first, red, thin) without the offsets,
    // the carrier (navy, thick) with them.
    void envelopeCorners_data()
    {
        QTest::addColumn<int>("carrierDelayOn");
        QTest::addColumn<int>("envDelay");
        QTest::addColumn<int>("attackRate");
        QTest::addColumn<int>("attackOffset");
        QTest::addColumn<QList<int>>("modulatorXs");
        QTest::addColumn<QList<int>>("carrierXs");
        QTest::newRow("all at x = 1") << 0 << 0 << 63 << 0 << QList<int>{1, 1, 1, 1, 1, 1}
                                      << QList<int>{1, 1, 1, 1, 1, 1};
        QTest::newRow("carrier delay 0: flat to 128") << 1 << 0 << 63 << 0 << QList<int>{1, 1, 1, 1, 1, 1}
                                                      << QList<int>{1, 128, 128, 128, 128, 128};
        QTest::newRow("delay 127: no flat start") << 1 << 127 << 63 << 0 << QList<int>{1, 1, 1, 1, 1, 1}
                                                  << QList<int>{1, 1, 1, 1, 1, 1};
        QTest::newRow("attack offset on the carrier only") << 0 << 0 << 10 << -20 << QList<int>{1, 1, 54, 54, 54, 54}
                                                           << QList<int>{1, 1, 64, 64, 64, 64};
    }
    void envelopeCorners()
    {
        QFETCH(int, carrierDelayOn);
        QFETCH(int, envDelay);
        QFETCH(int, attackRate);
        QFETCH(int, attackOffset);
        QFETCH(QList<int>, modulatorXs);
        QFETCH(QList<int>, carrierXs);
        for (FmOperatorParams* op : {&b().modulator, &b().carrier})
            op->envelope = {0, std::uint8_t(attackRate), 63, 0, 63, 63, 127, 0, 10, 20};
        b().carrier.envelope.delayOn = std::uint8_t(carrierDelayOn);
        host->voiceParams.common = {};
        host->voiceParams.common.envDelay = std::uint8_t(envDelay);
        host->voiceParams.common.attack = std::int8_t(attackOffset);
        choose(*window, "cbOperator", 1);  // both are drawn whichever is shown
        window->drawEnvelope();
        const std::vector<EnvelopeCorners> traces = window->envelopePicture().corners();
        QCOMPARE(traces.size(), std::size_t{2});
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(traces[0][i].x(), modulatorXs[i]);
            QCOMPARE(traces[1][i].x(), carrierXs[i]);
        }
        // Levels: shown 127 at y = 4, shown 0 at y = 131.
        QCOMPARE(traces[1][0].y(), 131);
        QCOMPARE(traces[1][2].y(), 4);
        QCOMPARE(traces[1][3].y(), 14);
    }

    void theDelayTimeIsSharedWithTheAwmEditor()
    {
        TAWMEdit awm(*host);
        awm.show();
        awm.setPartner(window.get());
        window->setPartner(&awm);
        awm.updateDisplay();
        b().carrier.envelope.delayOn = 1;
        window->updateDisplay();
        typeInto(*window, "tfEnvelopeDelay", "9");
        QCOMPARE(int(host->voiceParams.common.envDelay), 9);
        QCOMPARE(child<QLineEdit>(awm, "tfEnvelopeDelay")->text(), QStringLiteral("9"));
        QCOMPARE(host->sent.size(), std::size_t{1});  // this window's own send only

        host->voiceParams.elementA.envelope.delayOn = 1;
        awm.updateDisplay();
        typeInto(awm, "tfEnvelopeDelay", "7");
        QCOMPARE(text("tfEnvelopeDelay"), QStringLiteral("7"));
        QCOMPARE(window->envelopePicture().corners()[1][1].x(), 1 + 127 - 7);
        QCOMPARE(host->sent.size(), std::size_t{2});
        window->setPartner(&partner);
    }

    void switchingElementAndOperatorRepointsEveryControl()
    {
        FmElementParams& d = host->voiceParams.elementD;
        d.waveform = 172;
        d.pitch = -3;
        d.feedback = 6;
        d.lfoDelay = 99;
        d.carrierPm = 1;
        d.pan = 1;
        d.envType = 4;
        d.carrier = {1, 5, 2, 20, 1, 7, 9, 3, {1, 40, 0, 0, 0, 0, 0, 0, 0, 0}};
        d.modulator = {0, 3, 11, 60, 2, 13, 4, 6, {0, 12, 0, 0, 0, 0, 10, 0, 0, 0}};
        choose(*window, "cbElement", 1);
        QCOMPARE(get<QComboBox>("cbWaveform")->currentText(), QStringLiteral("Wave1-1"));
        QCOMPARE(text("tfPitch"), QStringLiteral("-3"));
        QCOMPARE(text("tfFeedback"), QStringLiteral("6"));
        QCOMPARE(text("tfLFODelay"), QStringLiteral("99"));
        QVERIFY(get<QCheckBox>("cbCarrierPM")->isChecked());
        QCOMPARE(get<QScrollBar>("sbPan")->value(), 3);
        QCOMPARE(get<QScrollBar>("sbLevel")->value(), 20);
        QCOMPARE(typeShown(), QStringLiteral("Pluck"));
        const std::vector<std::pair<const char*, QString>> carrier{
            {"tfFMWaveform", "5"}, {"tfFMFrequency", "2"}, {"tfOperatorLevel", "107"}, {"tfTemperament", "1"},
            {"tfDetune", "7"},     {"tfRateAttack", "40"}, {"tfLevelInitial", "127"}};
        for (const auto& [box, shown] : carrier)
            QCOMPARE(text(box), shown);
        QVERIFY(get<QCheckBox>("cbFixedFrequency")->isChecked());
        QVERIFY(get<QCheckBox>("cbEnvelopeDelay")->isChecked());
        QCOMPARE(get<QSlider>("tbLevelScaling")->value(), 9);

        choose(*window, "cbOperator", 1);
        const std::vector<std::pair<const char*, QString>> modulator{
            {"tfFMWaveform", "3"}, {"tfFMFrequency", "11"}, {"tfOperatorLevel", "67"}, {"tfTemperament", "2"},
            {"tfDetune", "13"},    {"tfRateAttack", "12"},  {"tfLevelInitial", "117"}};
        for (const auto& [box, shown] : modulator)
            QCOMPARE(text(box), shown);
        QVERIFY(!get<QCheckBox>("cbFixedFrequency")->isChecked());
        QVERIFY(!get<QCheckBox>("cbEnvelopeDelay")->isChecked());
        QVERIFY(!get<QLineEdit>("tfEnvelopeDelay")->isEnabled());
        QCOMPARE(get<QSlider>("tbRateScaling")->value(), 6);
        QCOMPARE(get<QScrollBar>("sbLevel")->value(), 20);  // still the carrier's
        QVERIFY(host->sent.empty());

        const VoiceParameters before = host->voiceParams;
        typeInto(*window, "tfDetune", "4");
        QCOMPARE(int(d.modulator.detune), 4);
        VoiceParameters expected = before;
        expected.elementD.modulator.detune = 4;
        QVERIFY(sameVoice(expected, host->voiceParams));
        choose(*window, "cbElement", 0);  // the operator switch stays
        QCOMPARE(text("tfDetune"), QStringLiteral("0"));
        QCOMPARE(get<QComboBox>("cbOperator")->currentIndex(), 1);
        QVERIFY(!get<QComboBox>("cbEnvType")->isEnabled());
    }

    void aRefreshShowsAndNeverWrites()
    {
        // A foreign dump: values beyond the controls' ranges, a peak point
        // and a type that do not match the levels.
        b().lfoDelay = 230;
        b().pitch = 20;
        b().carrier.rateScaling = 12;
        b().carrier.envelope.peakStage = 3;
        b().envType = 5;
        b().feedback = 9;
        const VoiceParameters before = host->voiceParams;
        window->updateDisplay();
        choose(*window, "cbOperator", 1);
        choose(*window, "cbOperator", 0);
        QVERIFY(sameVoice(before, host->voiceParams));
        QVERIFY(host->sent.empty());
        QCOMPARE(get<QSlider>("tbRateScaling")->value(), 7);
        QCOMPARE(text("tfPitch"), QStringLiteral("20"));
        QCOMPARE(typeShown(), QStringLiteral("Brass"));
    }

    void sendRules()
    {
        host->autoSendOn = false;
        typeInto(*window, "tfDetune", "5");
        moveBar(*window, "sbLevel", 9);
        choose(*window, "cbEnvType", 3);
        choose(*window, "cbWaveform", 3);
        click("cbFixedFrequency");
        click("cbModulatorAM");
        click("cbEnvelopeDelay");
        step(*window, "udLevelAttack", -1);
        QVERIFY(host->sent.empty());
        pressTheButtons(*window, *host, 4);
    }

    void theWaveListFollowsTheNamingRules()
    {
        QComboBox* list = get<QComboBox>("cbWaveform");
        QCOMPARE(list->count(), 256);
        const std::pair<int, const char*> names[] = {
            {0, "E Piano1"}, {13, "E Organ8"}, {149, "SFX 7"},    {150, "Sin 16'"}, {153, "Sin2 2/3"},
            {171, "Digi 11"}, {172, "Wave1-1"}, {252, "Wave27-3"}, {253, "Wave28"},  {255, "Wave30"}};
        for (const auto& [wave, name] : names)
            QCOMPARE(list->itemText(wave), QString::fromLatin1(name));
    }

    void everyControlHasItsName()
    {
        QCOMPARE(window->objectName(), QStringLiteral("FMEdit"));
        expectControls(*window,
                       {"cbWaveform",     "tfPitch",          "udPitch",         "tfFeedback",      "udFeedback",
                        "tbVelResp",      "tbATResp",         "tfFMWaveform",    "udFMWaveform",    "tfFMFrequency",
                        "udFMFrequency",  "cbFixedFrequency", "tfDetune",        "udDetune",        "tfTemperament",
                        "udTemperament",  "tfOperatorLevel",  "udOperatorLevel", "tbLevelScaling",  "tbRateScaling",
                        "cbEnvType",      "cbEnvelopeDelay",  "tfEnvelopeDelay", "udEnvelopeDelay", "tfLevelInitial",
                        "udLevelInitial", "tfLevelAttack",    "tfLevelDecay1",   "tfLevelDecay2",   "tfRateAttack",
                        "tfRateDecay1",   "tfRateDecay2",     "tfRateRelease",   "udRateRelease",   "envWindow",
                        "tfLFOSpeed",     "tfLFODelay",       "udLFODelay",      "tfLFORate",       "tfLFOAMDepth",
                        "tfLFOPMDepth",   "tbLFOWaveform",    "cbCarrierAM",     "cbModulatorAM",   "cbCarrierPM",
                        "cbModulatorPM",  "sbLevel",          "sbPan",           "cbElement",       "cbOperator",
                        "bGetVoice",      "bSendVoice",       "HelpButton",      "bClose"});
    }

    void looksRight()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("Morvane . . . FM Edit"));
        QCOMPARE(window->size(), QSize(689, 469));
        QCOMPARE(window->envelopePicture().size(), QSize(287, 135));
        choose(*window, "cbWaveform", 0);
        choose(*window, "cbEnvType", 2);
        expectInsideAndGrab(*window, "fm-edit.png");
    }
};

QTEST_MAIN(FmEditTest)
#include "FmEditTest.moc"
