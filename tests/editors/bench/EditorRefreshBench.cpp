// Times refreshing the four editor windows after a voice is loaded: every
// control shown from the new voice, and, with the windows on screen, the
// paint that follows, until the windows' pictures are handed to the window
// system. The target is one frame (16 ms) for every load, 8 ms at the median.
//
//   editor_refresh_bench [LOADS]      (default 200)
//
// Run it from an optimised build without sanitizers, with the windows on a
// screen (an X server such as Xvfb: QT_QPA_PLATFORM=xcb) or on the offscreen
// platform. The voices:
// - random voices whose two vectors play all 50 steps (every control and
//   both paths change at each load);
// - the 64 voices of a real TG-33 bank, in turn.
// The baseline, timed in the same run, turn about with the editors' loads:
// a plain Qt program with the same windows of the same widgets (the same
// style sheet, sizes and places; the pictures left as plain grounds, so it
// draws none), every value set at once to a new random one.
#include "FakeEditorHost.h"
#include "RandomVoice.h"
#include "TAWMEdit.h"
#include "TFMEdit.h"
#include "TVectorEdit.h"
#include "TVoiceCommonEdit.h"
#include "VectorPath.h"
#include "VoiceBank.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

using namespace morvane;

namespace {

struct Figures {
    double median;
    double worst;
    int withinFrame;  // loads of at most 16 ms
    int count;
};

Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    const int within = static_cast<int>(std::count_if(ms.begin(), ms.end(), [](double t) { return t <= 16.0; }));
    return {ms[ms.size() / 2], ms.back(), within, static_cast<int>(ms.size())};
}

void print(const char* what, const Figures& f)
{
    std::printf("%-44s median %6.2f ms, worst %6.2f ms, %d of %d within 16 ms\n", what, f.median, f.worst,
                f.withinFrame, f.count);
}

// A random voice whose vectors play every one of their 50 steps.
VoiceParameters fiftySteps(test::RandomVoice& random, std::mt19937& rng)
{
    VoiceParameters voice = random.make();
    for (VectorParams* vector : {&voice.levelVector, &voice.detuneVector})
        for (std::int32_t& time : vector->stepTime)
            if (time >= kStepRepeat)
                time = std::uniform_int_distribution<int>(0, kStepRepeat - 1)(rng);
    return voice;
}

void waitUntilExposed(QApplication& app, const std::vector<QWidget*>& windows)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 5000
           && !std::all_of(windows.begin(), windows.end(),
                           [](QWidget* w) { return w->windowHandle() != nullptr && w->windowHandle()->isExposed(); }))
        app.processEvents(QEventLoop::AllEvents, 50);
    for (int i = 0; i < 20; ++i)
        app.processEvents();
}

// The plain program's copy of a window: each standard widget made again as
// itself, where the original is, with its texts, items and ranges; any other
// widget as a plain one holding the copies of its children.
class PlainWindows {
public:
    explicit PlainWindows(const std::vector<QWidget*>& originals)
    {
        for (QWidget* original : originals) {
            auto window = std::make_unique<QWidget>(nullptr, original->windowFlags());
            window->setObjectName(original->objectName());
            window->setWindowTitle(original->windowTitle() + QStringLiteral(" (plain Qt)"));
            window->setStyleSheet(original->styleSheet());
            window->setAttribute(Qt::WA_StyledBackground);
            window->setFixedSize(original->size());
            copyChildren(*original, *window);
            windows_.push_back(std::move(window));
        }
    }

    std::vector<QWidget*> windows() const
    {
        std::vector<QWidget*> all;
        for (const auto& w : windows_)
            all.push_back(w.get());
        return all;
    }

    // Every value a new random one, all at once.
    void setAll(std::mt19937& rng)
    {
        const auto pick = [&rng](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
        for (QLineEdit* box : boxes_)
            box->setText(QString::number(pick(0, 127)));
        for (QComboBox* list : lists_)
            list->setCurrentIndex(pick(0, list->count() - 1));
        for (QCheckBox* check : checks_)
            check->setChecked(pick(0, 1) == 1);
        for (QAbstractSlider* bar : bars_)
            bar->setValue(pick(bar->minimum(), bar->maximum()));
        for (QLabel* value : values_)
            value->setText(QString::number(pick(0, 127)));
    }

private:
    void copyChildren(const QWidget& from, QWidget& to)
    {
        for (QObject* object : from.children()) {
            auto* original = qobject_cast<QWidget*>(object);
            if (original == nullptr || original->isWindow())
                continue;
            QWidget* copy = copyOf(*original, to);
            copy->setObjectName(original->objectName());
            for (const QByteArray& name : original->dynamicPropertyNames())
                copy->setProperty(name.constData(), original->property(name.constData()));
            copy->setGeometry(original->geometry());
            copy->setVisible(original->isVisibleTo(&from));
        }
    }

    QWidget* copyOf(QWidget& original, QWidget& parent)
    {
        if (auto* group = qobject_cast<QGroupBox*>(&original)) {
            auto* copy = new QGroupBox(group->title(), &parent);
            copyChildren(original, *copy);
            return copy;
        }
        if (auto* box = qobject_cast<QLineEdit*>(&original)) {
            auto* copy = new QLineEdit(box->text(), &parent);
            boxes_.push_back(copy);
            return copy;
        }
        if (auto* list = qobject_cast<QComboBox*>(&original)) {
            auto* copy = new QComboBox(&parent);
            for (int i = 0; i < list->count(); ++i)
                copy->addItem(list->itemText(i));
            copy->setCurrentIndex(list->currentIndex());
            lists_.push_back(copy);
            return copy;
        }
        if (auto* check = qobject_cast<QCheckBox*>(&original)) {
            auto* copy = new QCheckBox(check->text(), &parent);
            checks_.push_back(copy);
            return copy;
        }
        if (auto* slider = qobject_cast<QSlider*>(&original)) {
            auto* copy = new QSlider(slider->orientation(), &parent);
            copy->setRange(slider->minimum(), slider->maximum());
            copy->setInvertedAppearance(slider->invertedAppearance());
            bars_.push_back(copy);
            return copy;
        }
        if (auto* scroll = qobject_cast<QScrollBar*>(&original)) {
            auto* copy = new QScrollBar(scroll->orientation(), &parent);
            copy->setRange(scroll->minimum(), scroll->maximum());
            bars_.push_back(copy);
            return copy;
        }
        if (auto* label = qobject_cast<QLabel*>(&original)) {
            auto* copy = new QLabel(label->text(), &parent);
            copy->setAlignment(label->alignment());
            if (!label->pixmap().isNull())
                copy->setPixmap(label->pixmap());
            if (!label->objectName().isEmpty())
                values_.push_back(copy);  // the labels that show a value
            return copy;
        }
        if (auto* button = qobject_cast<QPushButton*>(&original))
            return new QPushButton(button->text(), &parent);
        if (auto* tool = qobject_cast<QToolButton*>(&original)) {
            auto* copy = new QToolButton(&parent);
            copy->setArrowType(tool->arrowType());
            return copy;
        }
        auto* copy = new QWidget(&parent);
        copy->setAutoFillBackground(original.children().isEmpty());  // a picture's place: plain ground
        copyChildren(original, *copy);
        return copy;
    }

    std::vector<std::unique_ptr<QWidget>> windows_;
    std::vector<QLineEdit*> boxes_;
    std::vector<QComboBox*> lists_;
    std::vector<QCheckBox*> checks_;
    std::vector<QAbstractSlider*> bars_;
    std::vector<QLabel*> values_;
};

// Counts the paints each kind of widget gets.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const char* kind = watched->metaObject()->className();
            // The toolkit's own controls count as the Qt widgets they are.
            if (watched->inherits("QGroupBox"))
                kind = "QGroupBox";
            else if (watched->inherits("QSlider"))
                kind = "QSlider";
            ++paints[kind];
        }
        return false;
    }
    std::map<std::string, int> paints;
};

double timed(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int loads = argc > 1 ? std::max(3, std::atoi(argv[1])) : 200;

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
    const auto refreshAll = [&] {
        for (EditorWindow* editor : editors)
            editor->updateDisplay();
    };

    const BankRead bank = readVoiceBankFile(MORVANE_FIXTURES "/tg33-bank-backup.syx");
    std::vector<VoiceParameters> bankVoices;
    for (int slot = 0; slot < kBankVoices; ++slot) {
        VoiceParameters voice{};
        if (bank.bank.decode(slot, voice))
            bankVoices.push_back(voice);
    }
    if (bankVoices.empty()) {
        std::fprintf(stderr, "the TG-33 bank in the test data could not be read\n");
        return 1;
    }

    test::RandomVoice random(2026);
    std::mt19937 rng(28);

    // Windows hidden: the refresh alone.
    std::vector<double> hidden;
    for (int i = 0; i < loads; ++i) {
        host.voiceParams = fiftySteps(random, rng);
        hidden.push_back(timed(refreshAll));
    }

    for (EditorWindow* editor : editors)
        editor->show();
    waitUntilExposed(app, {editors.begin(), editors.end()});
    PlainWindows plain({editors.begin(), editors.end()});
    for (QWidget* window : plain.windows())
        window->show();
    waitUntilExposed(app, plain.windows());

    // On screen, turn about: a random voice, the plain program, a bank voice.
    std::vector<double> randomLoads, plainLoads, bankLoads;
    for (int i = 0; i < loads; ++i) {
        host.voiceParams = fiftySteps(random, rng);
        randomLoads.push_back(timed([&] {
            refreshAll();
            app.processEvents();
        }));
        plainLoads.push_back(timed([&] {
            plain.setAll(rng);
            app.processEvents();
        }));
        host.voiceParams = bankVoices[static_cast<std::size_t>(i) % bankVoices.size()];
        bankLoads.push_back(timed([&] {
            refreshAll();
            app.processEvents();
        }));
    }

    // Each window's share, on screen.
    std::vector<std::pair<QString, Figures>> shares;
    for (EditorWindow* editor : editors) {
        std::vector<double> one;
        for (int i = 0; i < std::max(3, loads / 3); ++i) {
            host.voiceParams = fiftySteps(random, rng);
            one.push_back(timed([&] {
                editor->updateDisplay();
                app.processEvents();
            }));
        }
        shares.emplace_back(editor->objectName(), figures(one));
    }

    // The vector path picture alone, drawn into an image.
    auto* path = vector.findChild<VectorPathView*>();
    QImage image(path->size() * path->devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(path->devicePixelRatioF());
    std::vector<double> pathRandom, pathZigzag;
    for (int i = 0; i < std::max(3, loads / 3); ++i) {
        host.voiceParams = fiftySteps(random, rng);
        pathRandom.push_back(timed([&] { path->render(&image); }));
        // The longest path: corner to far corner at every step.
        for (int step = 0; step < kVectorSteps; ++step) {
            host.voiceParams.levelVector.abPosition[step] = step % 2 == 0 ? 0 : kPositionMax;
            host.voiceParams.levelVector.cdPosition[step] = (step / 2) % 2 == 0 ? 0 : kPositionMax;
        }
        pathZigzag.push_back(timed([&] { path->render(&image); }));
    }

    // Paints per load, by kind of widget: what a load repaints.
    PaintCounter ours, theirs;
    constexpr int kCounted = 20;
    for (int i = 0; i < kCounted; ++i) {
        host.voiceParams = fiftySteps(random, rng);
        app.installEventFilter(&ours);
        refreshAll();
        app.processEvents();
        app.removeEventFilter(&ours);
        app.installEventFilter(&theirs);
        plain.setAll(rng);
        app.processEvents();
        app.removeEventFilter(&theirs);
    }
    // And a refresh that changes nothing should paint nothing.
    PaintCounter unchanged;
    app.installEventFilter(&unchanged);
    refreshAll();
    app.processEvents();
    app.removeEventFilter(&unchanged);

    if (!host.sent.empty()) {
        std::fprintf(stderr, "a refresh sent the voice\n");
        return 1;
    }

    const Figures r = figures(randomLoads);
    const Figures p = figures(plainLoads);
    const Figures b = figures(bankLoads);
    std::printf("%d loads, four editors, platform %s\n", loads, qPrintable(QGuiApplication::platformName()));
    print("refresh only, windows hidden", figures(hidden));
    print("random 50-step voices, refresh and paint", r);
    print("TG-33 bank voices, refresh and paint", b);
    print("baseline: plain Qt, same widgets set at once", p);
    std::printf("%-44s %.2fx (random), %.2fx (bank) the baseline's median\n", "ratio", r.median / p.median,
                b.median / p.median);
    for (const auto& [name, f] : shares)
        std::printf("  %-16s alone: median %.2f ms, worst %.2f ms\n", qPrintable(name), f.median, f.worst);
    const Figures pr = figures(pathRandom);
    const Figures pz = figures(pathZigzag);
    std::printf("  vector path picture alone: median %.2f ms, worst %.2f ms (random); median %.2f ms, worst %.2f ms "
                "(corner to corner)\n",
                pr.median, pr.worst, pz.median, pz.worst);
    std::printf("paints per load              editors   plain Qt\n");
    std::map<std::string, std::pair<int, int>> kinds;
    for (const auto& [kind, n] : ours.paints)
        kinds[kind].first = n;
    for (const auto& [kind, n] : theirs.paints)
        kinds[kind].second = n;
    for (const auto& [kind, n] : kinds)
        std::printf("  %-26s %7.1f %10.1f\n", kind.c_str(), n.first / double(kCounted), n.second / double(kCounted));
    QStringList still;
    for (const auto& [kind, n] : unchanged.paints)
        still << QStringLiteral("%1 %2").arg(n).arg(QString::fromStdString(kind));
    std::printf("paints after a refresh that changes nothing: %s\n",
                still.isEmpty() ? "none" : qPrintable(still.join(QStringLiteral(", "))));
    return 0;
}
