// Times refreshing the four editor windows after a voice is loaded: every
// control shown from the new voice, and, with the windows on screen, the
// paint that follows. The target is one frame (16 ms) for all four.
//
//   editor_refresh_bench [VOICES] [--bank FILE]      (default 300)
//
// Run it from an optimised build without sanitizers, on the offscreen
// platform (QT_QPA_PLATFORM=offscreen) or on a display. Each voice is a new
// random voice, so every control changes; with --bank, the voices of that
// bank file in turn instead (the real TG-33 backup: tests/data).
#include "FakeEditorHost.h"
#include "RandomVoice.h"
#include "TAWMEdit.h"
#include "TFMEdit.h"
#include "TVectorEdit.h"
#include "TVoiceCommonEdit.h"
#include "VectorPath.h"
#include "VoiceBank.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace morvane;

namespace {

struct Figures {
    double median;
    double worst;
};

Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int voices = 300;
    std::string bankFile;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bank") == 0 && i + 1 < argc)
            bankFile = argv[++i];
        else
            voices = std::max(1, std::atoi(argv[i]));
    }

    test::FakeEditorHost host;
    host.autoSendOn = true;
    TAWMEdit awm(host);
    TFMEdit fm(host);
    TVoiceCommonEdit common(host);
    TVectorEdit vector(host);
    const std::vector<EditorWindow*> editors{&fm, &awm, &common, &vector};
    awm.setPartner(&fm);
    fm.setPartner(&awm);
    common.setEnvelopeDrawers(&fm, &awm);

    // The next voice to load: random, or the bank's in turn.
    test::RandomVoice random(2026);
    std::vector<VoiceParameters> bankVoices;
    if (!bankFile.empty()) {
        const BankRead read = readVoiceBankFile(bankFile);
        for (int slot = 0; slot < 64; ++slot)
            if (VoiceParameters v{}; read.bank.decode(slot, v))
                bankVoices.push_back(v);
        if (bankVoices.size() < 2) {
            std::fprintf(stderr, "editor_refresh_bench: %s holds no bank voices\n", bankFile.c_str());
            return 1;
        }
    }
    std::size_t nextBankVoice = 0;
    const std::function<VoiceParameters()> nextVoice = [&] {
        if (bankVoices.empty())
            return random.make();
        return bankVoices[nextBankVoice++ % bankVoices.size()];
    };
    std::vector<double> hidden, shown;
    for (bool onScreen : {false, true}) {
        if (onScreen) {
            for (EditorWindow* editor : editors)
                editor->show();
            app.processEvents();
        }
        for (int i = 0; i < voices; ++i) {
            host.voiceParams = nextVoice();
            QElapsedTimer timer;
            timer.start();
            for (EditorWindow* editor : editors)
                editor->updateDisplay();
            if (onScreen)
                app.processEvents();  // the paint of every changed control and both envelope pictures
            (onScreen ? shown : hidden).push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    // Each window's share, on screen.
    for (EditorWindow* editor : editors) {
        std::vector<double> one;
        for (int i = 0; i < voices / 3; ++i) {
            host.voiceParams = nextVoice();
            QElapsedTimer timer;
            timer.start();
            editor->updateDisplay();
            app.processEvents();
            one.push_back(timer.nsecsElapsed() / 1e6);
        }
        const Figures f = figures(one);
        std::printf("  %-16s median %.2f ms, worst %.2f ms\n", qPrintable(editor->objectName()), f.median, f.worst);
    }
    // The vector path picture alone, painted into an image for each new voice.
    {
        auto* view = vector.findChild<VectorPathView*>(QStringLiteral("pbVectorPath"));
        QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
        std::vector<double> one;
        for (int i = 0; i < voices; ++i) {
            host.voiceParams = nextVoice();
            QElapsedTimer timer;
            timer.start();
            view->render(&image);
            one.push_back(timer.nsecsElapsed() / 1e6);
        }
        const Figures f = figures(one);
        std::printf("  %-16s median %.2f ms, worst %.2f ms\n", "vector path", f.median, f.worst);
    }
    if (!host.sent.empty()) {
        std::fprintf(stderr, "a refresh sent the voice\n");
        return 1;
    }
    const Figures h = figures(hidden);
    const Figures s = figures(shown);
    std::printf("%d voices%s%s, four editors\n", voices, bankFile.empty() ? " (random)" : " from ", bankFile.c_str());
    std::printf("refresh, windows hidden:          median %.2f ms, worst %.2f ms\n", h.median, h.worst);
    std::printf("refresh and paint, on screen:     median %.2f ms, worst %.2f ms\n", s.median, s.worst);
    return 0;
}
