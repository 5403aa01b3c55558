#include "FakeEditorHost.h"
#include "TVoiceCommonEdit.h"
#include "UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <cstring>

using namespace morvane;

class VoiceCommonEditTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::FakeEditorHost> host;
    std::unique_ptr<TVoiceCommonEdit> window;
    std::vector<std::string> redraws;
    std::unique_ptr<test::RecordingDrawer> fmDrawer, awmDrawer;

    template <typename T>
    T* child(const char* name)
    {
        T* widget = window->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr)
            qFatal("no control %s", name);
        return widget;
    }
    // Replaces the box's text as one change, as pasting does, in a new entry:
    // the box takes the focus afresh.
    void type(const char* boxName, const QString& text)
    {
        QLineEdit* box = child<QLineEdit>(boxName);
        box->clearFocus();
        box->setFocus();
        box->selectAll();
        if (text.isEmpty())
            QTest::keyClick(box, Qt::Key_Delete);
        else
            box->insert(text);
    }
    const VoiceCommonParams& common() { return host->voiceParams.common; }

private slots:
    void init()
    {
        host = std::make_unique<test::FakeEditorHost>();
        window = std::make_unique<TVoiceCommonEdit>(*host);
        redraws.clear();
        fmDrawer = std::make_unique<test::RecordingDrawer>("FM", redraws);
        awmDrawer = std::make_unique<test::RecordingDrawer>("AWM", redraws);
        window->setEnvelopeDrawers(fmDrawer.get(), awmDrawer.get());
        window->updateDisplay();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        host->sent.clear();
        redraws.clear();
    }

    void numberEntries_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("upDown");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("secondAccepted");
        QTest::newRow("bend range 0 then 12") << "tfBendRange" << "udBendRange" << "0" << "12" << 12 << true;
        QTest::newRow("bend range 13 restored") << "tfBendRange" << "udBendRange" << "12" << "13" << 12 << false;
        QTest::newRow("attack -64 then 63") << "tfAttack" << "udAttack" << "-64" << "63" << 63 << true;
        QTest::newRow("attack -65 restored") << "tfAttack" << "udAttack" << "-64" << "-65" << -64 << false;
        QTest::newRow("attack 64 restored") << "tfAttack" << "udAttack" << "63" << "64" << 63 << false;
        QTest::newRow("release -3 then 40") << "tfRelease" << "udRelease" << "-3" << "40" << 40 << true;
        QTest::newRow("release 99 restored") << "tfRelease" << "udRelease" << "-3" << "99" << -3 << false;
        QTest::newRow("aftertouch pitch -12") << "tfAftertouchPitch" << "udAftertouchPitch" << "5" << "-12" << -12 << true;
        QTest::newRow("aftertouch pitch -13 restored") << "tfAftertouchPitch" << "udAftertouchPitch" << "5" << "-13" << 5 << false;
        QTest::newRow("effect depth 7") << "tfFXDepth" << "udFXDepth" << "3" << "7" << 7 << true;
        QTest::newRow("effect depth 8 restored") << "tfFXDepth" << "udFXDepth" << "3" << "8" << 3 << false;
    }
    void numberEntries()
    {
        QFETCH(QString, box);
        QFETCH(QString, upDown);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, stored);
        QFETCH(bool, secondAccepted);
        const QByteArray boxName = box.toLatin1();
        const auto fieldOf = [&box](const VoiceCommonParams& c) {
            return box == "tfBendRange" ? c.bendRange
                 : box == "tfAttack"    ? c.attack
                 : box == "tfRelease"   ? c.release
                 : box == "tfFXDepth"   ? c.effectDepth
                                        : c.atPitch;
        };
        type(boxName, first);
        const std::size_t sentAfterFirst = host->sent.size();
        type(boxName, second);
        QCOMPARE(int(fieldOf(common())), stored);
        QCOMPARE(child<QLineEdit>(boxName)->text(), QString::number(stored));
        QCOMPARE(child<UpDown>(upDown.toLatin1())->position(), stored);
        if (secondAccepted) {
            QCOMPARE(stored, second.toInt());
            QVERIFY(host->sent.size() > sentAfterFirst);
        } else {
            QCOMPARE(stored, first.toInt());
        }
        // What went to the instrument last carries the stored value, never a refused one.
        QVERIFY(!host->sent.empty());
        VoiceParameters sentVoice{};
        VoiceData decoder(sentVoice);
        QVERIFY(decoder.decodeDump(host->sent.back().data(), host->sent.back().size()));
        QCOMPARE(int(fieldOf(sentVoice.common)), stored);
    }

    void everyKeystrokeIsAnEntry()
    {
        type("tfAttack", "63");
        QLineEdit* box = child<QLineEdit>("tfAttack");
        QTest::keyClick(box, Qt::Key_Return);  // a new entry begins
        box->selectAll();
        const std::size_t sends = host->sent.size();
        QTest::keyClick(box, Qt::Key_6);  // "6" is stored and sent at once ...
        QCOMPARE(int(common().attack), 6);
        QCOMPARE(host->sent.size(), sends + 1);
        QTest::keyClick(box, Qt::Key_4);  // ... "64" is out of range: back to 63
        QCOMPARE(int(common().attack), 63);
        QCOMPARE(box->text(), QStringLiteral("63"));
        QCOMPARE(child<UpDown>("udAttack")->position(), 63);
        QCOMPARE(host->sent.size(), sends + 2);  // the instrument is back at 63 too
        box->selectAll();
        QTest::keyClicks(box, "-12");
        QCOMPARE(int(common().attack), -12);
        QCOMPARE(child<UpDown>("udAttack")->position(), -12);
    }

    void stepping()
    {
        type("tfAttack", "-62");
        QToolButton* down = child<UpDown>("udAttack")->findChild<QToolButton*>("down");
        for (int i = 0; i < 4; ++i)
            QTest::mouseClick(down, Qt::LeftButton);
        QCOMPARE(int(common().attack), -64);
        QCOMPARE(child<QLineEdit>("tfAttack")->text(), QStringLiteral("-64"));
        QCOMPARE(child<UpDown>("udAttack")->position(), -64);

        QToolButton* up = child<UpDown>("udBendRange")->findChild<QToolButton*>("up");
        type("tfBendRange", "11");
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(int(common().bendRange), 12);
    }

    void attackAndReleaseRedrawBothElementEditors()
    {
        type("tfAttack", "5");
        QCOMPARE(redraws, (std::vector<std::string>{"FM", "AWM"}));
        redraws.clear();
        type("tfRelease", "70");  // rejected: still redrawn
        QVERIFY(redraws.size() >= 2);
        QCOMPARE(redraws[0], std::string("FM"));
        QCOMPARE(redraws[1], std::string("AWM"));
        redraws.clear();
        type("tfBendRange", "3");
        QVERIFY(redraws.empty());
    }

    void nameIsPaddedAndSevenBit()
    {
        type("tfVoiceName", "Horns");
        QCOMPARE(QByteArray(common().name, 8), QByteArray("Horns   "));
        QCOMPARE(int(common().nameTerminator), 0);
        QTest::sendKeyEvent(QTest::Click, child<QLineEdit>("tfVoiceName"), Qt::Key_unknown,
                            QString::fromUtf8("\xC3\xA9"), Qt::NoModifier);  // refused
        QCOMPARE(QByteArray(common().name, 8), QByteArray("Horns   "));

        // A refresh shows foreign characters as spaces and leaves the voice
        // as it is; the next edit of the name stores printable ones only.
        std::memcpy(host->voiceParams.common.name, "Ch\xE9vre\x01", 8);
        const VoiceParameters before = host->voiceParams;
        window->updateDisplay();
        QCOMPARE(child<QLineEdit>("tfVoiceName")->text(), QStringLiteral("Ch vre "));
        QCOMPARE(std::memcmp(&before, &host->voiceParams, sizeof before), 0);
        QLineEdit* name = child<QLineEdit>("tfVoiceName");
        name->setFocus();
        name->end(false);
        QTest::keyClick(name, Qt::Key_X);
        QCOMPARE(QByteArray(common().name, 8), QByteArray("Ch vre x"));
    }

    void comboBoxesAndCheckBoxes()
    {
        QComboBox* fx = child<QComboBox>("cbFXType");
        fx->setFocus();
        QTest::keyClick(fx, Qt::Key_End);
        QCOMPARE(fx->currentText(), QStringLiteral("Distortion & Reverb"));
        QCOMPARE(int(common().effectType), 15);
        QComboBox* config = child<QComboBox>("cbVoiceConfig");
        config->setFocus();
        QTest::keyClick(config, Qt::Key_Down);
        QCOMPARE(config->currentText(), QStringLiteral("A-B-C-D"));
        QCOMPARE(int(common().voiceConfig), 1);

        QCheckBox* wheelPm = child<QCheckBox>("cbModWheelPM");
        QTest::mouseClick(wheelPm, Qt::LeftButton, {}, QPoint(6, wheelPm->height() / 2));
        QCOMPARE(int(common().wheelPm), 1);
        QTest::mouseClick(wheelPm, Qt::LeftButton, {}, QPoint(6, wheelPm->height() / 2));
        QCOMPARE(int(common().wheelPm), 0);
        QCOMPARE(host->sent.size(), std::size_t{4});
    }

    void sendRules()
    {
        host->autoSendOn = false;
        type("tfBendRange", "7");
        type("tfVoiceName", "Quiet");
        QTest::mouseClick(child<QCheckBox>("cbAftertouchAM"), Qt::LeftButton, {}, QPoint(6, 6));
        QVERIFY(host->sent.empty());
        QTest::mouseClick(child<QPushButton>("bSendVoice"), Qt::LeftButton);
        QCOMPARE(host->sent.size(), std::size_t{1});
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&host->sent[0][19]), 5), QByteArray("Quiet"));

        host->autoSendOn = true;
        host->sent.clear();
        VoiceCommonParams& c = host->voiceParams.common;
        c.attack = -20;
        c.bendRange = 2;
        c.atLevel = 1;
        std::memcpy(c.name, "Other   ", 8);
        window->updateDisplay();
        QVERIFY(host->sent.empty());
        QCOMPARE(child<QLineEdit>("tfAttack")->text(), QStringLiteral("-20"));
        QCOMPARE(child<UpDown>("udAttack")->position(), -20);
        QVERIFY(child<QCheckBox>("cbAftertouchLevel")->isChecked());
        QCOMPARE(int(c.attack), -20);
    }

    void emptyBoxStoresNothingAndShowsTheValueOnLeaving()
    {
        type("tfBendRange", "9");
        const std::size_t sends = host->sent.size();
        type("tfBendRange", "");
        QCOMPARE(child<QLineEdit>("tfBendRange")->text(), QString());
        QCOMPARE(int(common().bendRange), 9);
        QCOMPARE(host->sent.size(), sends);
        QTest::keyClicks(child<QLineEdit>("tfBendRange"), "4");
        QCOMPARE(int(common().bendRange), 4);
        type("tfAttack", "-");
        QCOMPARE(int(common().attack), 0);
        child<QLineEdit>("tfBendRange")->setFocus();
        QCOMPARE(child<QLineEdit>("tfAttack")->text(), QStringLiteral("0"));
    }

    void buttons()
    {
        QTest::mouseClick(child<QPushButton>("HelpButton"), Qt::LeftButton);
        QCOMPARE(host->helpContexts, std::vector<int>{10});
        QTest::mouseClick(child<QPushButton>("bGetVoice"), Qt::LeftButton);
        QCOMPARE(host->getVoiceCalls, 1);
        QTest::mouseClick(child<QPushButton>("bClose"), Qt::LeftButton);
        QVERIFY(window->isHidden());
    }

    void looksRight()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("Morvane - Voice common"));
        QCOMPARE(window->size(), QSize(432, 208));
        QDir().mkpath(MORVANE_GRAB_DIR);
        window->grab().save(QDir(MORVANE_GRAB_DIR).filePath("voice-common-edit.png"));
    }
};

QTEST_MAIN(VoiceCommonEditTest)
#include "VoiceCommonEditTest.moc"
