// The instrument link alone, on the in-process MIDI backend: what reaches
// the port in the program's port slot, and on which channel.
#include "InProcessMidiBackend.h"
#include "InstrumentLink.h"
#include "ManualClock.h"
#include "MidiPort.h"
#include "RandomVoice.h"
#include "VoiceData.h"

#include <QSignalSpy>
#include <QTest>

#include "TestNote.h"

using namespace morvane;
using Bytes = std::vector<std::uint8_t>;

class InstrumentLinkTest : public QObject {
    Q_OBJECT

    // A port on an in-process backend with one input and one output, open.
    std::unique_ptr<MidiPort> openPort(InProcessMidiBackend*& backend)
    {
        auto owned = std::make_unique<InProcessMidiBackend>(std::vector<std::string>{"In"}, std::vector<std::string>{"Out"});
        backend = owned.get();
        auto port = std::make_unique<MidiPort>(std::move(owned), nullptr, clock.now());
        port->open(0, 0);
        return port;
    }

    // The SY-layout dump of `voice` on `channel`.
    static Bytes dumpOn(const VoiceParameters& voice, int channel)
    {
        Bytes dump(kSyDumpSize);
        encodeVoice(voice, DumpLayout::Sy, static_cast<std::uint8_t>(channel), dump.data());
        return dump;
    }

    test::ManualClock clock;

private slots:
    // The link reads the slot at each use: nothing goes out while it is
    // empty, and a port put in it later gets the voice, the request and the
    // test note, each on the channel asked for.
    void followsTheProgramsPortSlot()
    {
        VoiceParameters voice = test::RandomVoice(3).make();
        VoiceData data(voice);
        MidiPort* slot = nullptr;
        InstrumentLink link(slot, data, clock.now());

        link.startTestNote(2, 60, 100, 50);
        link.stopTestNote();   // no port: nothing to send, nothing to fail

        InProcessMidiBackend* backend = nullptr;
        std::unique_ptr<MidiPort> port = openPort(backend);
        slot = port.get();
        link.sendVoice(5);
        port->finishSending();
        QCOMPARE(backend->sent().size(), std::size_t{1});
        QCOMPARE(backend->sent()[0], dumpOn(voice, 5));

        // The instrument answers a request on channel 9 with another voice.
        const VoiceParameters other = test::RandomVoice(4).make();
        Bytes request;
        backend->setOnSend([&](const Bytes& message) {
            if (message.size() < 20) {
                request = message;
                backend->deliver(dumpOn(other, 9));
            }
        });
        QVERIFY(link.requestVoice(0, 9));
        QCOMPARE(request[2], std::uint8_t{0x20 | 9});
        QCOMPARE(dumpOn(voice, 0), dumpOn(other, 0));
        backend->setOnSend(nullptr);

        // The test note, its length measured on the port's clock.
        QSignalSpy looked(&link.testNote(), &TestNote::looked);
        link.startTestNote(2, 60, 100, 50);
        link.releaseTestNote();
        clock.advance(std::chrono::milliseconds(50));
        QVERIFY(looked.wait(2000));
        port->finishSending();
        QVERIFY(!link.testNoteSounding());
        const std::vector<Bytes> sent = backend->sent();
        QCOMPARE(sent[sent.size() - 2], (Bytes{0x92, 60, 100}));
        QCOMPARE(sent.back(), (Bytes{0x82, 60, 64}));
        slot = nullptr;
        port.reset();
    }
};

QTEST_GUILESS_MAIN(InstrumentLinkTest)
#include "InstrumentLinkTest.moc"
