#include "EditorTestSupport.h"
#include "EnvelopePanel.h"
#include "TAWMEdit.h"

#include <QLabel>
#include <QDir>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

using namespace morvane;
using namespace morvane::test;

class AwmEditTest : public QObject, private ElementEditorUnderTest<TAWMEdit> {
    Q_OBJECT

private:
    AwmElementParams& a() { return host->voiceParams.elementA; }

private slots:
    void init()
    {
        host = std::make_unique<FakeEditorHost>();
        a().lfoRate = 127;  // shown 0
        window = std::make_unique<TAWMEdit>(*host);
        partner = {};
        window->setPartner(&partner);
        openWindow(*window, *host);
    }

    // A typed entry: what is stored, what the box and its up-down show, and
    // whether the voice went out.
    void typedEntries_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("level 127 stores 0") << "tfLevelInitial" << "127" << 0 << "127";
        QTest::newRow("level 128 goes back") << "tfLevelInitial" << "128" << 127 << "0";
        QTest::newRow("pitch -12") << "tfPitch" << "-12" << -12 << "-12";
        QTest::newRow("pitch +12") << "tfPitch" << "+12" << 12 << "+12";
        QTest::newRow("pitch -13 goes back") << "tfPitch" << "-13" << 0 << "0";
        QTest::newRow("LFO delay 127") << "tfLFODelay" << "127" << 127 << "127";
        QTest::newRow("LFO delay 128 goes back") << "tfLFODelay" << "128" << 0 << "0";
        QTest::newRow("LFO rate 0 stores 127") << "tfLFORate" << "0" << 127 << "0";
        QTest::newRow("LFO rate 128 goes back") << "tfLFORate" << "128" << 127 << "0";
        QTest::newRow("temperament 4 goes back") << "tfTemperament" << "4" << 0 << "0";
        QTest::newRow("release rate 63") << "tfRateRelease" << "63" << 63 << "63";
    }
    void typedEntries()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        a().envelope.initialLevel = 127;
        updatePeakStage(a().envelope);
        window->updateDisplay();
        const VoiceParameters before = host->voiceParams;
        const QByteArray name = box.toLatin1();
        typeInto(*window, name, typed);
        const std::map<QString, int> fields{
            {"tfLevelInitial", a().envelope.initialLevel}, {"tfPitch", a().pitch},
            {"tfLFODelay", a().lfoDelay},                  {"tfLFORate", a().lfoRate},
            {"tfTemperament", a().temperament},            {"tfRateRelease", a().envelope.releaseRate}};
        QCOMPARE(fields.at(box), stored);
        QCOMPARE(text(name), shown);
        const QByteArray upDown = "ud" + name.mid(2);
        QCOMPARE(position(upDown), shown.toInt());
        if (QString(QTest::currentDataTag()).endsWith("goes back"))
            QVERIFY(sameVoice(host->voiceParams, before));
        else
            QVERIFY(!host->sent.empty());
    }

    void aTypedEntryOutOfRangeSendsTheVoiceItBeganWith()
    {
        typeInto(*window, "tfLevelAttack", "100");
        QTest::keyClick(get<QLineEdit>("tfLevelAttack"), Qt::Key_Return);
        const VoiceParameters before = host->voiceParams;
        get<QLineEdit>("tfLevelAttack")->selectAll();
        QTest::keyClicks(get<QLineEdit>("tfLevelAttack"), "128");  // 1, 12 are stored and sent on the way
        QVERIFY(sameVoice(host->voiceParams, before));
        QCOMPARE(text("tfLevelAttack"), QStringLiteral("100"));
        const VoiceDump now = host->data.encodeDump();
        QCOMPARE(host->sent.back(), std::vector<std::uint8_t>(now.begin(), now.end()));
    }

    void leavingABoxShowsTheStoredValue()
    {
        typeInto(*window, "tfPitch", "4-9");
        QCOMPARE(int(a().pitch), 4);
        get<QLineEdit>("tfDetune")->setFocus();
        QCOMPARE(text("tfPitch"), QStringLiteral("4"));
    }

    void keysAndWheelStepABox()
    {
        QLineEdit* box = get<QLineEdit>("tfLFOSpeed");
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Up);
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(int(a().lfoSpeed), 2);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(int(a().lfoSpeed), 1);
        QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
        QCOMPARE(int(a().lfoSpeed), 2);
        QCOMPARE(text("tfLFOSpeed"), QStringLiteral("2"));
    }

    // Tab goes group by group, each group row by row, left to right.
    void tabFollowsTheReadingOrder()
    {
        std::vector<QString> order;
        QWidget* w = get<QWidget>("cbWaveform");
        for (int i = 0; i < 2000 && (order.empty() || w != get<QWidget>("cbWaveform")); ++i, w = w->nextInFocusChain())
            if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() && w->isEnabled())
                order.push_back(w->objectName());
        const auto at = [&](const char* name) {
            return std::find(order.begin(), order.end(), QString::fromLatin1(name)) - order.begin();
        };
        const std::vector<const char*> expected{"cbWaveform",   "tfPitch",        "tbVelResp",     "tbATResp",
                                                "tfTemperament", "tfDetune",      "tfLFOSpeed",    "tfLFODelay",
                                                "tbLevelScaling", "cbEnvType",    "tfLevelInitial", "tfLevelAttack",
                                                "tfRateAttack", "sbLevel",        "cbElement",     "cbModel"};
        for (std::size_t i = 1; i < expected.size(); ++i)
            QVERIFY2(at(expected[i - 1]) < at(expected[i]), expected[i]);
    }

    void templatesAndPresets()
    {
        choose(*window, "cbEnvType", 2);  // Piano
        const EnvelopeParams& e = a().envelope;
        QCOMPARE(text("tfLevelInitial"), QStringLiteral("87"));
        QCOMPARE(text("tfLevelAttack"), QStringLiteral("127"));
        QCOMPARE(text("tfLevelDecay1"), QStringLiteral("119"));
        QCOMPARE(text("tfLevelDecay2"), QStringLiteral("0"));
        QCOMPARE((std::vector<int>{e.attackRate, e.decay1Rate, e.decay2Rate, e.releaseRate}),
                 (std::vector<int>{63, 20, 14, 32}));
        QCOMPARE(int(a().levelScaling), 1);
        QCOMPARE(int(a().rateScaling), 3);
        QCOMPARE(get<QSlider>("tbRateScaling")->value(), 3);
        QCOMPARE(get<QComboBox>("cbEnvType")->currentText(), QStringLiteral("Piano"));
        QCOMPARE(int(a().envType), 2);
        QCOMPARE(int(e.peakStage), 1);
        QCOMPARE(host->sent.size(), std::size_t{1});

        // "User": a new wave leaves the envelope.
        choose(*window, "cbEnvType", 0);
        const EnvelopeParams piano = a().envelope;
        choose(*window, "cbWaveform", 1);
        QVERIFY(std::memcmp(&piano, &a().envelope, sizeof piano) == 0);

        // "Preset": the wave's own envelope, now and at every new wave.
        choose(*window, "cbWaveform", 0);
        choose(*window, "cbEnvType", 1);
        choose(*window, "cbWaveform", 1);  // E Piano
        QCOMPARE((std::vector<QString>{text("tfLevelInitial"), text("tfLevelAttack"), text("tfLevelDecay1"),
                                       text("tfLevelDecay2")}),
                 (std::vector<QString>{"0", "127", "111", "0"}));
        QCOMPARE((std::vector<int>{e.attackRate, e.decay1Rate, e.decay2Rate, e.releaseRate}),
                 (std::vector<int>{63, 19, 12, 39}));
        QCOMPARE(int(a().rateScaling), 2);
        QCOMPARE(int(a().levelScaling), 0);
        QCOMPARE(get<QComboBox>("cbEnvType")->currentText(), QStringLiteral("Preset"));
        QCOMPARE(int(a().envType), 1);
    }

    void peakStageFollowsTheLevels_data()
    {
        QTest::addColumn<QStringList>("levels");
        QTest::addColumn<int>("peak");
        QTest::newRow("first of equals") << QStringList{"127", "127", "100", "0"} << 0;
        QTest::newRow("decay 1 over a tie") << QStringList{"0", "90", "120", "120"} << 2;
    }
    void peakStageFollowsTheLevels()
    {
        QFETCH(QStringList, levels);
        QFETCH(int, peak);
        const char* boxes[] = {"tfLevelInitial", "tfLevelAttack", "tfLevelDecay1", "tfLevelDecay2"};
        for (int i = 0; i < 4; ++i)
            typeInto(*window, boxes[i], levels[i]);
        QCOMPARE(int(a().envelope.peakStage), peak);
    }

    void upDownsAndTheEnvelopeType()
    {
        choose(*window, "cbEnvType", 5);  // Brass
        step(*window, "udLFOSpeed", 1);
        step(*window, "udLFODelay", 2);
        QCOMPARE(int(a().envType), 5);
        step(*window, "udLFORate", -1);  // already at 0: nothing
        typeInto(*window, "tfLFORate", "1");
        step(*window, "udLFORate", -1);
        QCOMPARE(int(a().lfoRate), 127);
        QCOMPARE(text("tfLFORate"), QStringLiteral("0"));
        QCOMPARE(int(a().envType), 5);
        step(*window, "udRateDecay2", 1);
        QCOMPARE(int(a().envType), 0);
        QCOMPARE(get<QComboBox>("cbEnvType")->currentText(), QStringLiteral("User"));
        QCOMPARE(int(a().envelope.decay2Rate), 1);

        choose(*window, "cbEnvType", 6);
        typeInto(*window, "tfLevelDecay1", "5");  // a keystroke in a level box
        QCOMPARE(int(a().envType), 0);
        choose(*window, "cbEnvType", 6);
        moveBar(*window, "tbLevelScaling", 9);
        QCOMPARE(int(a().levelScaling), 9);
        QCOMPARE(int(a().envType), 0);
    }

    void barsStoreTheirShownForm()
    {
        moveBar(*window, "sbPan", 0);
        QCOMPARE(int(a().pan), 4);
        QCOMPARE(get<QLabel>("lbPanValue")->text(), QStringLiteral("L2"));  // each bar's value beside it
        moveBar(*window, "sbPan", 4);
        QCOMPARE(int(a().pan), 0);
        QCOMPARE(get<QLabel>("lbPanValue")->text(), QStringLiteral("R2"));
        moveBar(*window, "sbLevel", 20);
        QCOMPARE(int(a().level), 20);
        QCOMPARE(get<QLabel>("lbLevelValue")->text(), QStringLiteral("20"));
        moveBar(*window, "tbVelResp", -5);
        QCOMPARE(int(a().velResp), -5);
        moveBar(*window, "tbATResp", 3);
        QCOMPARE(int(a().atResp), 3);
        moveBar(*window, "tbLFOWaveform", 4);
        QCOMPARE(int(a().lfoWaveform), 4);
        QCOMPARE(host->sent.size(), std::size_t{6});
    }

    void modelChoosesTheWaveNames()
    {
        a().waveform = 8;
        host->modelSetting = 2;
        window->updateDisplay();
        QCOMPARE(get<QComboBox>("cbModel")->currentText(), QStringLiteral("TG-33"));
        QCOMPARE(get<QComboBox>("cbWaveform")->currentText(), QStringLiteral("Reed"));
        host->modelSetting = 7;
        window->updateDisplay();
        QCOMPARE(get<QComboBox>("cbModel")->currentText(), QStringLiteral("SY-35"));
        QCOMPARE(get<QComboBox>("cbWaveform")->currentText(), QStringLiteral("Bandneon"));
        QCOMPARE(host->modelSetting, 7);
        choose(*window, "cbModel", 0);
        QCOMPARE(host->modelSetting, 0);
        QCOMPARE(get<QComboBox>("cbWaveform")->currentText(), QStringLiteral("Reed"));
        QCOMPARE(get<QComboBox>("cbWaveform")->count(), 128);
        QCOMPARE(get<QComboBox>("cbWaveform")->itemText(120), QStringLiteral("SEQ 1"));
        QCOMPARE(int(a().waveform), 8);
        QVERIFY(host->sent.empty());
    }

    void switchingElementsRepointsEveryControl()
    {
        AwmElementParams& c = host->voiceParams.elementC;
        c.waveform = 21;
        c.pitch = -3;
        c.lfoSpeed = 9;
        c.envelope.attackRate = 40;
        c.envelope.delayOn = 1;
        c.levelScaling = 7;
        c.pan = 1;
        c.level = 33;
        c.envType = 4;
        choose(*window, "cbElement", 1);
        QVERIFY(host->sent.empty());
        QCOMPARE(get<QComboBox>("cbWaveform")->currentIndex(), 21);
        QCOMPARE(text("tfPitch"), QStringLiteral("-3"));
        QCOMPARE(text("tfLFOSpeed"), QStringLiteral("9"));
        QCOMPARE(text("tfRateAttack"), QStringLiteral("40"));
        QVERIFY(get<QCheckBox>("cbEnvelopeDelay")->isChecked());
        QVERIFY(get<QLineEdit>("tfEnvelopeDelay")->isEnabled());
        QCOMPARE(get<QSlider>("tbLevelScaling")->value(), 7);
        QCOMPARE(get<QScrollBar>("sbPan")->value(), 3);
        QCOMPARE(get<QScrollBar>("sbLevel")->value(), 33);
        QCOMPARE(get<QLabel>("lbLevelValue")->text(), QStringLiteral("33"));  // a refresh shows the values too
        QCOMPARE(get<QComboBox>("cbEnvType")->currentText(), QStringLiteral("Pluck"));

        const AwmElementParams elementA = a();
        typeInto(*window, "tfDetune", "11");
        QCOMPARE(int(c.detune), 11);
        QVERIFY(std::memcmp(&elementA, &a(), sizeof elementA) == 0);
        choose(*window, "cbElement", 0);
        QCOMPARE(text("tfDetune"), QStringLiteral("0"));
    }

    void aRefreshShowsAndNeverWrites()
    {
        // A foreign dump: values beyond the controls' ranges, a peak point
        // and a type that do not match the levels.
        a().level = 200;
        a().pitch = 20;
        a().rateScaling = 12;
        a().envType = 5;
        a().envelope.peakStage = 3;
        a().waveform = 130;
        const VoiceParameters before = host->voiceParams;
        window->updateDisplay();
        QVERIFY(sameVoice(before, host->voiceParams));
        QVERIFY(host->sent.empty());
        QCOMPARE(get<QScrollBar>("sbLevel")->value(), 127);
        QCOMPARE(get<QSlider>("tbRateScaling")->value(), 7);
        QCOMPARE(text("tfPitch"), QStringLiteral("20"));
        QCOMPARE(get<QComboBox>("cbWaveform")->currentIndex(), -1);
    }

    void delayTimeIsSharedAndDrawn()
    {
        QVERIFY(!get<QLineEdit>("tfEnvelopeDelay")->isEnabled());
        QTest::mouseClick(get<QCheckBox>("cbEnvelopeDelay"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(int(a().envelope.delayOn), 1);
        QVERIFY(get<QLineEdit>("tfEnvelopeDelay")->isEnabled());
        typeInto(*window, "tfEnvelopeDelay", "20");
        QCOMPARE(int(host->voiceParams.common.envDelay), 20);
        QVERIFY(partner.delayChanges >= 1);
        const std::size_t sends = host->sent.size();

        host->voiceParams.common.envDelay = 99;  // changed in the other element editor
        window->envDelayChanged();
        QCOMPARE(text("tfEnvelopeDelay"), QStringLiteral("99"));
        QCOMPARE(window->envelopePicture().corners()[0][1].x(), 1 + 127 - 99);
        QCOMPARE(host->sent.size(), sends);
    }

    void envelopeCorners_data()
    {
        QTest::addColumn<int>("delayOn");
        QTest::addColumn<int>("envDelay");
        QTest::addColumn<int>("attackRate");
        QTest::addColumn<int>("attackOffset");
        QTest::addColumn<int>("releaseRate");
        QTest::addColumn<int>("releaseOffset");
        QTest::addColumn<QList<int>>("xs");
        QTest::newRow("all at x = 1") << 0 << 0 << 63 << 0 << 63 << 0 << QList<int>{1, 1, 1, 1, 1, 1};
        QTest::newRow("delay 0: flat to 128") << 1 << 0 << 63 << 0 << 63 << 0 << QList<int>{1, 128, 128, 128, 128, 128};
        QTest::newRow("delay 127: no flat start") << 1 << 127 << 63 << 0 << 63 << 0 << QList<int>{1, 1, 1, 1, 1, 1};
        QTest::newRow("attack offset clamps at 0") << 0 << 0 << 10 << -20 << 63 << 0 << QList<int>{1, 1, 64, 64, 64, 64};
        QTest::newRow("release offset clamps at 63") << 0 << 0 << 63 << 0 << 60 << 10 << QList<int>{1, 1, 1, 1, 1, 1};
    }
    void envelopeCorners()
    {
        QFETCH(int, delayOn);
        QFETCH(int, envDelay);
        QFETCH(int, attackRate);
        QFETCH(int, attackOffset);
        QFETCH(int, releaseRate);
        QFETCH(int, releaseOffset);
        QFETCH(QList<int>, xs);
        EnvelopeParams& e = a().envelope;
        e = {std::uint8_t(delayOn), std::uint8_t(attackRate), 63, 0, 63, std::uint8_t(releaseRate), 127, 0, 10, 20};
        host->voiceParams.common = {};
        host->voiceParams.common.envDelay = std::uint8_t(envDelay);
        host->voiceParams.common.attack = std::int8_t(attackOffset);
        host->voiceParams.common.release = std::int8_t(releaseOffset);
        window->drawEnvelope();
        const EnvelopeCorners corners = window->envelopePicture().corners().at(0);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(corners[i].x(), xs[i]);
        // Levels: shown 127 at y = 6, shown 0 at y = 133.
        QCOMPARE(corners[0].y(), 133);
        QCOMPARE(corners[2].y(), 6);
        QCOMPARE(corners[5].y(), 133);
        QCOMPARE(int(e.attackRate), attackRate);  // the offsets act on the drawing only
    }

    void sendRules()
    {
        host->autoSendOn = false;
        typeInto(*window, "tfDetune", "5");
        moveBar(*window, "sbLevel", 9);
        choose(*window, "cbEnvType", 3);
        choose(*window, "cbWaveform", 3);
        QTest::mouseClick(get<QCheckBox>("cbEnvelopeDelay"), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(host->sent.empty());
        pressTheButtons(*window, *host, 1);
    }

    void everyControlHasItsName()
    {
        QCOMPARE(window->objectName(), QStringLiteral("AWMEdit"));
        expectControls(*window,
                       {"cbWaveform",     "tfTemperament",  "udTemperament",   "tfDetune",        "udDetune",
                        "tfPitch",        "udPitch",        "tbVelResp",       "tbATResp",        "tbLevelScaling",
                        "tbRateScaling",  "cbEnvType",      "cbEnvelopeDelay", "tfEnvelopeDelay", "udEnvelopeDelay",
                        "tfLevelInitial", "udLevelInitial", "tfLevelAttack",   "tfLevelDecay1",   "tfLevelDecay2",
                        "tfRateAttack",   "tfRateDecay1",   "tfRateDecay2",    "tfRateRelease",   "udRateRelease",
                        "envWindow",      "tfLFOSpeed",     "tfLFODelay",      "tfLFORate",       "tfLFOAMDepth",
                        "tfLFOPMDepth",   "udLFOPMDepth",   "tbLFOWaveform",   "sbLevel",         "sbPan",
                        "cbElement",      "cbModel",        "bGetVoice",       "bSendVoice",      "HelpButton",
                        "bClose"});
    }

    void looksRight()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("Morvane . . . AWM Edit"));
        QCOMPARE(window->size(), QSize(688, 432));
        QCOMPARE(window->envelopePicture().size(), QSize(295, 139));
        choose(*window, "cbEnvType", 2);
        expectInsideAndGrab(*window, "awm-edit.png");
    }
};

QTEST_MAIN(AwmEditTest)
#include "AwmEditTest.moc"
