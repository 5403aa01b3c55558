// What a refresh repaints, with the four editor windows on screen: nothing
// when nothing changed, a changed control and what lies under it and no
// other control; and that the quick repaints leave the same picture a whole
// paint gives. CTest runs the track bars' test at 2x too, where their kept
// pictures are drawn at twice the size.
#include "EditorStyle.h"
#include "EditorTestSupport.h"
#include "RandomVoice.h"
#include "Repainting.h"
#include "TAWMEdit.h"
#include "TFMEdit.h"
#include "TVectorEdit.h"
#include "TVoiceCommonEdit.h"

#include <QImage>
#include <QScreen>
#include <QSlider>

#include <algorithm>
#include <functional>
#include <set>

using namespace morvane;
using namespace morvane::test;

namespace {

// The widgets that get a paint event.
class PaintLog : public QObject {
public:
    PaintLog() { qApp->installEventFilter(this); }
    ~PaintLog() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted.insert(static_cast<QWidget*>(watched));
        return false;
    }
    std::set<QWidget*> painted;
};

// The window as it is on screen, and as a whole paint draws it now.
QImage onScreen(QWidget& window)
{
    return window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}
QImage wholePaint(QWidget& window)
{
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The largest difference of a colour channel between two pictures.
int largestDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 256;
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

} // namespace

class RepaintTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakeEditorHost> host;
    std::unique_ptr<TAWMEdit> awm;
    std::unique_ptr<TFMEdit> fm;
    std::unique_ptr<TVoiceCommonEdit> common;
    std::unique_ptr<TVectorEdit> vector;

    std::vector<EditorWindow*> editors() const { return {awm.get(), fm.get(), common.get(), vector.get()}; }

    // Refreshes every window and lets them paint.
    std::set<QWidget*> refreshAndPaint()
    {
        PaintLog log;
        for (EditorWindow* editor : editors())
            editor->updateDisplay();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        return log.painted;
    }

private slots:
    void init()
    {
        host = std::make_unique<FakeEditorHost>();
        host->voiceParams = RandomVoice(28).make();
        awm = std::make_unique<TAWMEdit>(*host);
        fm = std::make_unique<TFMEdit>(*host);
        common = std::make_unique<TVoiceCommonEdit>(*host);
        vector = std::make_unique<TVectorEdit>(*host);
        awm->setPartner(fm.get());
        fm->setPartner(awm.get());
        common->setEnvelopeDrawers(fm.get(), awm.get());
        for (EditorWindow* editor : editors()) {
            editor->updateDisplay();
            editor->show();
            QVERIFY(QTest::qWaitForWindowExposed(editor));
        }
        refreshAndPaint();
    }
    void cleanup()
    {
        vector.reset();
        common.reset();
        fm.reset();
        awm.reset();
        host.reset();
    }

    void unchangedVoicePaintsNothing()
    {
        const std::set<QWidget*> painted = refreshAndPaint();
        QStringList names;
        for (QWidget* widget : painted)
            names << widget->objectName();
        QVERIFY2(painted.empty(), qPrintable(names.join(QLatin1Char(' '))));
    }

    // One field changed: its control and whatever depends on it repaint,
    // with the widgets they lie on; no other control. Afterwards each window
    // on screen is as a whole paint draws it.
    void changedFieldRepaintsItsControls_data()
    {
        QTest::addColumn<std::function<void(VoiceParameters&)>>("change");
        QTest::addColumn<QStringList>("controls");
        QTest::newRow("AWM LFO delay") << std::function<void(VoiceParameters&)>([](VoiceParameters& v) {
            v.elementA.lfoDelay ^= 1;
        }) << QStringList{"AWMEdit/tfLFODelay"};
        QTest::newRow("FM feedback") << std::function<void(VoiceParameters&)>([](VoiceParameters& v) {
            v.elementB.feedback ^= 1;
        }) << QStringList{"FMEdit/tfFeedback"};
        QTest::newRow("voice name") << std::function<void(VoiceParameters&)>([](VoiceParameters& v) {
            v.common.name[0] = v.common.name[0] == 'A' ? 'B' : 'A';
        }) << QStringList{"VoiceCommonEdit/tfVoiceName"};
        QTest::newRow("AWM attack rate: box and envelope") << std::function<void(VoiceParameters&)>(
            [](VoiceParameters& v) { v.elementA.envelope.attackRate ^= 1; })
                                                           << QStringList{"AWMEdit/tfRateAttack", "AWMEdit/envWindow"};
        QTest::newRow("vector step 1 A-B: bar, step list and path") << std::function<void(VoiceParameters&)>(
            [](VoiceParameters& v) { v.levelVector.abPosition[0] = v.levelVector.abPosition[0] == 0 ? 62 : 0; })
                                                                    << QStringList{"VectorEdit/TrackBar1", "VectorEdit/cbABPosition",
                                                                                   "VectorEdit/pbVectorPath"};
    }
    void changedFieldRepaintsItsControls()
    {
        QFETCH(std::function<void(VoiceParameters&)>, change);
        QFETCH(QStringList, controls);
        change(host->voiceParams);
        const std::set<QWidget*> painted = refreshAndPaint();

        std::set<QWidget*> allowed;
        std::vector<std::pair<QWidget*, QRect>> changed;   // each control's window and place in it
        int found = 0;
        for (EditorWindow* editor : editors())
            for (QWidget* widget : editor->findChildren<QWidget*>()) {
                if (!controls.contains(editor->objectName() + QLatin1Char('/') + widget->objectName()))
                    continue;
                ++found;
                QVERIFY2(painted.count(widget) == 1, qPrintable(widget->objectName() + " was not repainted"));
                for (QWidget* w = widget; w != nullptr; w = w->parentWidget())
                    allowed.insert(w);
                changed.emplace_back(editor, QRect(widget->mapTo(editor, QPoint(0, 0)), widget->size()));
            }
        QCOMPARE(found, controls.size());
        // A widget that overlaps a changed control is repainted with it.
        const auto overlapsChanged = [&changed](QWidget* widget) {
            return std::any_of(changed.begin(), changed.end(), [widget](const auto& place) {
                return place.first->isAncestorOf(widget)
                       && place.second.intersects(QRect(widget->mapTo(place.first, QPoint(0, 0)), widget->size()));
            });
        };
        for (QWidget* widget : painted)
            QVERIFY2(allowed.count(widget) == 1 || overlapsChanged(widget),
                     qPrintable(QStringLiteral("%1 (%2) was repainted").arg(widget->objectName(),
                                                                             widget->metaObject()->className())));
        for (EditorWindow* editor : editors())
            QVERIFY2(largestDifference(onScreen(*editor), wholePaint(*editor)) == 0, qPrintable(editor->objectName()));
    }

    // A whole new voice: every window on screen is as a whole paint draws it.
    void newVoiceLeavesTheWholePicture()
    {
        host->voiceParams = RandomVoice(29).make();
        refreshAndPaint();
        for (EditorWindow* editor : editors())
            QVERIFY2(largestDifference(onScreen(*editor), wholePaint(*editor)) == 0, qPrintable(editor->objectName()));
    }

    // A track bar copies a picture of itself; it must look as the style
    // draws a slider there, at every position and wherever it starts between
    // device pixels.
    void trackBarLooksAsTheStyleDrawsIt()
    {
        QWidget window;
        window.setObjectName(QStringLiteral("Bars"));
        window.setStyleSheet(style::editorStyleSheet(window.objectName()));
        window.setAttribute(Qt::WA_StyledBackground);
        window.setFixedSize(200, 160);
        struct Pair {
            TrackBar* kept;
            QSlider* plain;
        };
        std::vector<Pair> pairs;
        // Each kept bar and its plain one 40 pixels apart, which start at the
        // same fraction of a device pixel at 1.25x, 1.5x and 2x; each pair at
        // another fraction.
        const QRect places[] = {{3, 5, 9, 100}, {14, 6, 9, 100}, {100, 7, 80, 21}, {101, 90, 81, 20}};
        for (const QRect& place : places) {
            const bool upright = place.width() < place.height();
            Pair pair{new TrackBar(upright ? Qt::Vertical : Qt::Horizontal, &window),
                      new QSlider(upright ? Qt::Vertical : Qt::Horizontal, &window)};
            pair.kept->setRange(0, 62);
            pair.plain->setRange(0, 62);
            pair.kept->setGeometry(place);
            pair.plain->setGeometry(place.translated(upright ? 40 : 0, upright ? 0 : 40));
            pairs.push_back(pair);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const qreal ratio = window.devicePixelRatioF();
        for (const int position : {0, 1, 31, 61, 62, 17}) {
            for (const Pair& pair : pairs) {
                pair.kept->setValue(position);
                pair.plain->setValue(position);
            }
            for (int i = 0; i < 5; ++i)
                QCoreApplication::processEvents();
            const QImage screen = onScreen(window);
            for (const Pair& pair : pairs) {
                const auto device = [ratio](const QRect& r) {
                    return QRect(QPoint(qRound(r.x() * ratio), qRound(r.y() * ratio)),
                                 QSize(qRound(r.width() * ratio), qRound(r.height() * ratio)));
                };
                // Compositing the kept picture rounds by a few levels at most.
                const int difference = largestDifference(screen.copy(device(pair.kept->geometry())),
                                                         screen.copy(device(pair.plain->geometry())));
                QVERIFY2(difference <= 3, qPrintable(QStringLiteral("position %1, bar at %2,%3: %4 levels apart")
                                                         .arg(position)
                                                         .arg(pair.kept->x())
                                                         .arg(pair.kept->y())
                                                         .arg(difference)));
            }
        }
    }
};

QTEST_MAIN(RepaintTest)
#include "RepaintTest.moc"
