// Times refreshing the four editor windows after a voice is loaded: every
// control shown from the new voice, and, with the windows on screen, the
// paint that follows. The target is one frame (16 ms) for all four.
//
//   editor_refresh_bench [VOICES]      (default 300)
//
// Run it from an optimised build without sanitizers, on the offscreen
// platform (QT_QPA_PLATFORM=offscreen). Each voice is a new random voice, so
// every control changes.
#include "FakeEditorHost.h"
#include "RandomVoice.h"
#include "TAWMEdit.h"
#include "TFMEdit.h"
#include "TVectorEdit.h"
#include "TVoiceCommonEdit.h"
#include "VectorPath.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
    const int voices = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;

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

    test::RandomVoice random(2026);
    std::vector<double> hidden, shown;
    for (bool onScreen : {false, true}) {
        if (onScreen) {
            for (EditorWindow* editor : editors)
                editor->show();
            app.processEvents();
        }
        for (int i = 0; i < voices; ++i) {
            host.voiceParams = random.make();
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
            host.voiceParams = random.make();
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
            host.voiceParams = random.make();
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
    std::printf("%d voices, four editors\n", voices);
    std::printf("refresh, windows hidden:          median %.2f ms, worst %.2f ms\n", h.median, h.worst);
    std::printf("refresh and paint, on screen:     median %.2f ms, worst %.2f ms\n", s.median, s.worst);
    return 0;
}
