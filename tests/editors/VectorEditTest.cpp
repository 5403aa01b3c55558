#include "EditorTestSupport.h"
#include "TVectorEdit.h"
#include "VectorPath.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include <map>

using namespace morvane;
using namespace morvane::test;

using StepTimes = std::map<int, int>;  // step (0-based) -> stored length or marker
Q_DECLARE_METATYPE(StepTimes)

namespace {

// A level and a detune vector whose steps all differ, with no marker.
void fillVoice(VoiceParameters& voice)
{
    for (int i = 0; i < kVectorSteps; ++i) {
        voice.levelVector.abPosition[i] = static_cast<std::uint8_t>((i * 5) % 63);
        voice.levelVector.cdPosition[i] = static_cast<std::uint8_t>((i * 7 + 3) % 63);
        voice.levelVector.stepTime[i] = i % 10;
        voice.detuneVector.abPosition[i] = static_cast<std::uint8_t>(62 - i);
        voice.detuneVector.cdPosition[i] = static_cast<std::uint8_t>(i);
        voice.detuneVector.stepTime[i] = 20 + i;
    }
    voice.levelVectorSpeed = 3;
    voice.detuneVectorSpeed = 16;
}

} // namespace

class VectorEditTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<FakeEditorHost> host;
    std::unique_ptr<TVectorEdit> window;

    QComboBox* box(const char* name) { return child<QComboBox>(*window, name); }
    // TrackBar1 ... TrackBar50 for the AB row, TrackBar51 ... TrackBar100 for the CD row.
    QSlider* bar(int number) { return child<QSlider>(*window, ("TrackBar" + QByteArray::number(number)).constData()); }
    QSlider* abBar(int step) { return bar(step + 1); }
    QSlider* cdBar(int step) { return bar(step + 51); }
    VectorPathView* path() { return child<VectorPathView>(*window, "pbVectorPath"); }
    VectorParams& level() { return host->voiceParams.levelVector; }
    VectorParams& detune() { return host->voiceParams.detuneVector; }

    // Chooses the list's item that shows `text`.
    void choose(const char* list, const QString& text)
    {
        const int index = box(list)->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        test::choose(*window, list, index);
    }
    void showSteps(const StepTimes& times)
    {
        for (const auto& [step, time] : times)
            level().stepTime[step] = time;
        window->updateDisplay();
    }
    int shownSteps()
    {
        int shown = 0;
        for (int step = 0; step < kVectorSteps; ++step) {
            if (abBar(step)->isHidden() != cdBar(step)->isHidden())
                qFatal("step %d shows one bar", step + 1);
            if (!abBar(step)->isHidden() && shown++ != step)
                qFatal("step %d is shown after a hidden one", step + 1);
        }
        return shown;
    }
    VoiceParameters lastSent() { return sentVoice(*host); }

private slots:
    void init()
    {
        host = std::make_unique<test::FakeEditorHost>();
        fillVoice(host->voiceParams);
        window = std::make_unique<TVectorEdit>(*host);
        window->updateDisplay();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        host->sent.clear();
    }

    void windowAndControls()
    {
        QCOMPARE(window->objectName(), QStringLiteral("VectorEdit"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Morvane - Vectors"));
        QCOMPARE(window->height(), 409);
        QVERIFY(window->width() > 632);
        QCOMPARE(box("cbStepNumber")->count(), 50);
        QCOMPARE(box("cbStepNumber")->itemText(49), QStringLiteral("50"));
        QCOMPARE(box("cbRepeats")->count(), 256);
        QCOMPARE(box("cbRepeats")->itemText(0), QStringLiteral("1"));
        QCOMPARE(box("cbRepeats")->itemText(253), QStringLiteral("254"));
        QCOMPARE(box("cbRepeats")->itemText(254), QStringLiteral("Repeat"));
        QCOMPARE(box("cbRepeats")->itemText(255), QStringLiteral("End"));
        QCOMPARE(box("cbVectorSpeed")->count(), 16);
        QCOMPARE(box("cbVectorSpeed")->itemText(0), QStringLiteral("10 ms"));
        QCOMPARE(box("cbVectorSelect")->count(), 2);
        for (const char* name : {"cbABPosition", "cbCDPosition"}) {
            QCOMPARE(box(name)->count(), 63);
            QCOMPARE(box(name)->itemText(1), QStringLiteral("-30"));
            QCOMPARE(box(name)->itemText(30), QStringLiteral("-1"));
            QCOMPARE(box(name)->itemText(32), QStringLiteral("1"));
            QCOMPARE(box(name)->itemText(61), QStringLiteral("30"));
        }
        QCOMPARE(box("cbCDPosition")->itemText(0), QStringLiteral("-31 (0% C, 100% D)"));
        QCOMPARE(box("cbCDPosition")->itemText(31), QStringLiteral("0 (50% C, 50% D)"));
        QCOMPARE(box("cbCDPosition")->itemText(62), QStringLiteral("31 (100% C, 0% D)"));

        // The bars of a row are spread evenly over the first 632 pixels.
        for (int step : {0, 1, 24, 49}) {
            for (QSlider* bar : {abBar(step), cdBar(step)}) {
                QCOMPARE(bar->size(), QSize(9, 100));
                QCOMPARE(bar->minimum(), 0);
                QCOMPARE(bar->maximum(), 62);
                QCOMPARE(bar->pageStep(), 16);
                QCOMPARE(bar->orientation(), Qt::Vertical);
            }
            QCOMPARE(abBar(step)->mapTo(window.get(), QPoint()).x(), qRound(step * 616 / 49.0));
            QCOMPARE(cdBar(step)->x(), abBar(step)->x());
            QVERIFY(cdBar(step)->mapTo(window.get(), QPoint()).y() > abBar(step)->mapTo(window.get(), QPoint()).y() + 100);
        }
        QCOMPARE(abBar(3)->toolTip(), QStringLiteral("Sets the AB vector for this position"));
        QCOMPARE(cdBar(3)->toolTip(), QStringLiteral("Sets the CD vector for this position"));
        QStringList headings;
        for (QLabel* label : window->findChildren<QLabel*>())
            if (label->text().startsWith("Element "))
                headings << label->text();
        QCOMPARE(headings, (QStringList{"Element A", "Element B", "Element C", "Element D"}));
    }

    // A position shows as its list item and as the bar's position 62 − stored;
    // one outside 0-62 (a foreign dump) leaves the list without a selection and
    // the bar at its nearer end, and stays in the voice as it is.
    void positionsShown_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bar");
        QTest::newRow("centre") << 31 << 31 << "0 (50% A, 50% B)" << 31;
        QTest::newRow("all A, thumb at the top") << 62 << 62 << "31 (100% A, 0% B)" << 0;
        QTest::newRow("all B, thumb at the bottom") << 0 << 0 << "-31 (0% A, 100% B)" << 62;
        QTest::newRow("ordinary") << 40 << 40 << "9" << 22;
        QTest::newRow("outside the range") << 70 << -1 << "" << 0;
        QTest::newRow("far outside the range") << 127 << -1 << "" << 0;
    }
    void positionsShown()
    {
        QFETCH(int, stored);
        QFETCH(int, item);
        QFETCH(QString, text);
        QFETCH(int, bar);
        level().abPosition[0] = static_cast<std::uint8_t>(stored);
        level().cdPosition[0] = static_cast<std::uint8_t>(stored);
        const VoiceParameters before = host->voiceParams;
        window->updateDisplay();
        QCOMPARE(box("cbABPosition")->currentIndex(), item);
        QCOMPARE(box("cbABPosition")->currentText(), text);
        QCOMPARE(box("cbCDPosition")->currentIndex(), item);
        QCOMPARE(abBar(0)->value(), bar);
        QCOMPARE(cdBar(0)->value(), bar);
        QVERIFY(sameVoice(before, host->voiceParams));
        QVERIFY(host->sent.empty());
    }

    void foreignLengthAndSpeedLeaveTheirListsEmpty()
    {
        level().stepTime[0] = 300;
        host->voiceParams.levelVectorSpeed = 17;
        const VoiceParameters before = host->voiceParams;
        window->updateDisplay();
        QCOMPARE(box("cbRepeats")->currentIndex(), -1);
        QCOMPARE(box("cbVectorSpeed")->currentIndex(), -1);
        QCOMPARE(shownSteps(), 50);
        QVERIFY(sameVoice(before, host->voiceParams));
        // Until the user changes them.
        choose("cbVectorSpeed", "40 ms");
        QCOMPARE(int(host->voiceParams.levelVectorSpeed), 4);
        QCOMPARE(level().stepTime[0], 300);
    }

    // Which steps' bars are shown, and what the path picture draws.
    void masking_data()
    {
        QTest::addColumn<StepTimes>("times");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("ending");
        using Ending = VectorPathGeometry::Ending;
        QTest::newRow("no marker") << StepTimes{} << 50 << int(Ending::LastStep);
        QTest::newRow("5, End") << StepTimes{{0, 4}, {1, 255}} << 2 << int(Ending::End);
        QTest::newRow("Repeat at 3") << StepTimes{{0, 3}, {1, 0}, {2, 254}} << 2 << int(Ending::Repeat);
        QTest::newRow("End at 2, Repeat at 4") << StepTimes{{1, 255}, {3, 254}} << 2 << int(Ending::End);
        QTest::newRow("Repeat at 4, End at 7") << StepTimes{{3, 254}, {6, 255}} << 3 << int(Ending::Repeat);
        QTest::newRow("End at 1") << StepTimes{{0, 255}} << 1 << int(Ending::End);
        QTest::newRow("End at 50") << StepTimes{{49, 255}} << 50 << int(Ending::End);
        QTest::newRow("Repeat at 1") << StepTimes{{0, 254}} << 0 << int(Ending::Repeat);
    }
    void masking()
    {
        QFETCH(StepTimes, times);
        QFETCH(int, shown);
        QFETCH(int, ending);
        showSteps(times);
        QCOMPARE(shownSteps(), shown);
        const VectorPathGeometry g = path()->geometry();
        QCOMPARE(int(g.points.size()), shown);
        for (int i = 0; i < shown; ++i) {
            QCOMPARE(g.points[i].step, i);
            QCOMPARE(g.points[i].at, pathPoint(level().abPosition[i], level().cdPosition[i], path()->plotArea()));
        }
        QCOMPARE(int(g.ending), ending);
        QVERIFY(host->sent.empty());
    }

    void removingAMarkerShowsTheStepsAgain()
    {
        showSteps({{1, 255}, {5, 254}});
        QCOMPARE(shownSteps(), 2);
        choose("cbStepNumber", "2");
        QCOMPARE(box("cbRepeats")->currentText(), QStringLiteral("End"));
        host->sent.clear();
        choose("cbRepeats", "3");
        QCOMPARE(level().stepTime[1], 2);
        QCOMPARE(shownSteps(), 5);  // up to the "Repeat" at step 6
        QCOMPARE(path()->geometry().ending, VectorPathGeometry::Ending::Repeat);
        QCOMPARE(host->sent.size(), std::size_t{1});
        QCOMPARE(lastSent().levelVector.stepTime[1], 2);
        // A hidden step can still be chosen and edited through the lists.
        choose("cbStepNumber", "9");
        choose("cbABPosition", "5");
        QCOMPARE(int(level().abPosition[8]), 36);
        QCOMPARE(abBar(8)->value(), 26);
        QVERIFY(abBar(8)->isHidden());
        QCOMPARE(path()->geometry().selectedPoint, -1);
    }

    void speed()
    {
        choose("cbVectorSelect", "Detune");
        QCOMPARE(box("cbVectorSpeed")->currentText(), QStringLiteral("160 ms"));
        host->sent.clear();
        choose("cbVectorSpeed", "10 ms");
        QCOMPARE(int(host->voiceParams.detuneVectorSpeed), 1);
        QCOMPARE(int(host->voiceParams.levelVectorSpeed), 3);
        QCOMPARE(int(lastSent().detuneVectorSpeed), 1);
    }

    void movingABarSelectsItsStep()
    {
        QSlider* bar = abBar(6);
        bar->setFocus();
        QTest::keyClick(bar, Qt::Key_End);  // to the bottom: all B
        QCOMPARE(bar->value(), 62);
        QCOMPARE(int(level().abPosition[6]), 0);
        QCOMPARE(window->selectedStep(), 6);
        QCOMPARE(box("cbStepNumber")->currentText(), QStringLiteral("7"));
        QCOMPARE(box("cbABPosition")->currentText(), QStringLiteral("-31 (0% A, 100% B)"));
        QCOMPARE(box("cbCDPosition")->currentIndex(), int(level().cdPosition[6]));
        QCOMPARE(box("cbRepeats")->currentIndex(), level().stepTime[6]);
        QCOMPARE(host->sent.size(), std::size_t{1});
        QCOMPARE(int(lastSent().levelVector.abPosition[6]), 0);

        QSlider* cd = cdBar(11);
        cd->setFocus();
        QTest::keyClick(cd, Qt::Key_Home);  // to the top: all C
        QCOMPARE(int(level().cdPosition[11]), 62);
        QCOMPARE(box("cbStepNumber")->currentText(), QStringLiteral("12"));
        QCOMPARE(box("cbCDPosition")->currentText(), QStringLiteral("31 (100% C, 0% D)"));
        QCOMPARE(path()->geometry().points[11].at.y(), path()->plotArea().top());
    }

    void aPositionListMovesTheBar()
    {
        choose("cbStepNumber", "4");
        choose("cbCDPosition", "-31 (0% C, 100% D)");
        QCOMPARE(int(level().cdPosition[3]), 0);
        QCOMPARE(cdBar(3)->value(), 62);
        choose("cbABPosition", "0 (50% A, 50% B)");
        QCOMPARE(int(level().abPosition[3]), 31);
        QCOMPARE(abBar(3)->value(), 31);
        QCOMPARE(window->selectedStep(), 3);
        const VoiceParameters sent = lastSent();
        QCOMPARE(int(sent.levelVector.abPosition[3]), 31);
        QCOMPARE(int(sent.levelVector.cdPosition[3]), 0);
    }

    void switchingToDetuneShowsAndEditsTheDetuneVector()
    {
        choose("cbStepNumber", "5");
        host->sent.clear();
        choose("cbVectorSelect", "Detune");
        QVERIFY(window->editsDetune());
        QCOMPARE(host->sent.size(), std::size_t{1});  // a choice is sent, though no data changed
        for (int step : {0, 4, 49}) {
            QCOMPARE(abBar(step)->value(), 62 - detune().abPosition[step]);
            QCOMPARE(cdBar(step)->value(), 62 - detune().cdPosition[step]);
        }
        QCOMPARE(box("cbStepNumber")->currentText(), QStringLiteral("5"));
        QCOMPARE(box("cbABPosition")->currentIndex(), int(detune().abPosition[4]));
        QCOMPARE(box("cbCDPosition")->currentIndex(), int(detune().cdPosition[4]));
        QCOMPARE(box("cbRepeats")->currentText(), QStringLiteral("25"));
        QCOMPARE(path()->geometry().points[4].at, pathPoint(detune().abPosition[4], detune().cdPosition[4],
                                                            path()->plotArea()));

        const VectorParams levelBefore = level();
        choose("cbRepeats", "End");
        QCOMPARE(detune().stepTime[4], 255);
        QCOMPARE(shownSteps(), 5);
        QVERIFY(std::memcmp(&levelBefore, &level(), sizeof levelBefore) == 0);

        choose("cbVectorSelect", "Level");
        QCOMPARE(shownSteps(), 50);
        QCOMPARE(abBar(4)->value(), 62 - level().abPosition[4]);
        QCOMPARE(box("cbRepeats")->currentIndex(), level().stepTime[4]);
    }

    void sendRules()
    {
        choose("cbStepNumber", "20");
        QCOMPARE(host->sent.size(), std::size_t{1});
        QCOMPARE(box("cbABPosition")->currentIndex(), int(level().abPosition[19]));

        // A refresh shows the voice, sends and writes nothing, and keeps the step.
        host->sent.clear();
        level().abPosition[19] = 7;
        level().abPosition[30] = 50;
        host->voiceParams.levelVectorSpeed = 9;
        const VoiceParameters before = host->voiceParams;
        window->updateDisplay();
        QVERIFY(host->sent.empty());
        QVERIFY(sameVoice(before, host->voiceParams));
        QCOMPARE(window->selectedStep(), 19);
        QCOMPARE(box("cbStepNumber")->currentText(), QStringLiteral("20"));
        QCOMPARE(box("cbABPosition")->currentIndex(), 7);
        QCOMPARE(abBar(30)->value(), 12);
        QCOMPARE(box("cbVectorSpeed")->currentText(), QStringLiteral("90 ms"));

        host->autoSendOn = false;
        choose("cbStepNumber", "3");
        choose("cbABPosition", "12");
        moveBar(*window, "TrackBar6", 0);
        choose("cbVectorSelect", "Detune");
        QVERIFY(host->sent.empty());
        QCOMPARE(int(level().abPosition[2]), 43);
        QCOMPARE(int(level().abPosition[5]), 62);
        QTest::mouseClick(child<QPushButton>(*window, "bSendVoice"), Qt::LeftButton);
        QCOMPARE(host->sent.size(), std::size_t{1});
        QCOMPARE(int(lastSent().levelVector.abPosition[5]), 62);
    }

    void clickingAndDraggingInThePicture()
    {
        VectorPathView* view = path();
        const VectorPathGeometry g = view->geometry();
        QTest::mouseClick(view, Qt::LeftButton, {}, g.points[12].at.toPoint());
        QCOMPARE(window->selectedStep(), 12);
        QCOMPARE(box("cbStepNumber")->currentText(), QStringLiteral("13"));
        QCOMPARE(host->sent.size(), std::size_t{1});
        QCOMPARE(view->geometry().selectedPoint, 12);

        // A click on the time strip chooses the step whose span it hits.
        QTest::mouseClick(view, Qt::LeftButton, {}, g.points[39].span.center().toPoint());
        QCOMPARE(window->selectedStep(), 39);

        // Dragging a point to the top left corner makes its step all A and all C.
        const QPoint from = g.points[3].at.toPoint();
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, view->plotArea().topLeft() - QPointF(5, 5),
                         view->mapToGlobal(view->plotArea().topLeft() - QPointF(5, 5)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        QTest::mouseRelease(view, Qt::LeftButton, {}, view->plotArea().topLeft().toPoint());
        QCOMPARE(int(level().abPosition[3]), 62);
        QCOMPARE(int(level().cdPosition[3]), 62);
        QCOMPARE(abBar(3)->value(), 0);
        QCOMPARE(cdBar(3)->value(), 0);
        QCOMPARE(box("cbStepNumber")->currentText(), QStringLiteral("4"));
        QCOMPARE(box("cbABPosition")->currentText(), QStringLiteral("31 (100% A, 0% B)"));
        const VoiceParameters sent = lastSent();
        QCOMPARE(int(sent.levelVector.abPosition[3]), 62);
        QCOMPARE(int(sent.levelVector.cdPosition[3]), 62);
    }

    // Every move of one drag is one undo step (one key); the next drag is
    // another.
    void aDraggedPointIsOneUndoStep()
    {
        VectorPathView* view = path();
        const QRectF plot = view->plotArea();
        auto drag = [view](QPoint from, std::initializer_list<QPointF> moves) {
            QTest::mousePress(view, Qt::LeftButton, {}, from);
            for (const QPointF to : moves) {
                QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                                 Qt::NoModifier);
                QApplication::sendEvent(view, &move);
            }
            QTest::mouseRelease(view, Qt::LeftButton, {}, (*std::prev(moves.end())).toPoint());
        };
        // The press also chooses the step, which changes nothing and is no step.
        auto moves = [this] {
            std::vector<std::string> keys;
            for (const auto& [name, key] : host->edits)
                if (name == "Vector point")
                    keys.push_back(key);
            return keys;
        };
        host->edits.clear();
        drag(view->geometry().points[2].at.toPoint(), {plot.topLeft(), plot.center(), plot.bottomRight()});
        const std::vector<std::string> first = moves();
        QCOMPARE(first.size(), std::size_t{3});
        QVERIFY(!first[0].empty());
        QCOMPARE(first[1], first[0]);
        QCOMPARE(first[2], first[0]);
        drag(view->geometry().points[2].at.toPoint(), {plot.topLeft()});
        QCOMPARE(moves().size(), std::size_t{4});
        QVERIFY(moves()[3] != first[0]);
    }

    void buttons()
    {
        QTest::mouseClick(child<QPushButton>(*window, "HelpButton"), Qt::LeftButton);
        QCOMPARE(host->helpContexts, std::vector<int>{9});
        QTest::mouseClick(child<QPushButton>(*window, "bGetVoice"), Qt::LeftButton);
        QCOMPARE(host->getVoiceCalls, 1);
        choose("cbStepNumber", "8");
        choose("cbVectorSelect", "Detune");
        QTest::mouseClick(child<QPushButton>(*window, "bClose"), Qt::LeftButton);
        QVERIFY(window->isHidden());
        window->show();
        QCOMPARE(window->selectedStep(), 7);  // kept while hidden
        QVERIFY(window->editsDetune());
    }

    void looksRight()
    {
        QDir().mkpath(MORVANE_GRAB_DIR);
        QVERIFY(window->grab().save(QDir(MORVANE_GRAB_DIR).filePath("vector-edit-50-steps.png")));
        // A vector that loops: steps 1-6 of a small circle, "Repeat" at step 7.
        const int ab[] = {31, 50, 50, 31, 12, 12};
        const int cd[] = {55, 45, 20, 8, 20, 45};
        for (int i = 0; i < 6; ++i) {
            level().abPosition[i] = static_cast<std::uint8_t>(ab[i]);
            level().cdPosition[i] = static_cast<std::uint8_t>(cd[i]);
            level().stepTime[i] = 2 + i * 3;
        }
        level().stepTime[6] = 254;
        window->updateDisplay();
        choose("cbStepNumber", "3");
        QVERIFY(window->grab().save(QDir(MORVANE_GRAB_DIR).filePath("vector-edit.png")));
    }
};

// The path picture's geometry, without a window.
class VectorPathTest : public QObject {
    Q_OBJECT

private slots:
    void pointsAndPositions_data()
    {
        QTest::addColumn<int>("ab");
        QTest::addColumn<int>("cd");
        QTest::addColumn<QPointF>("at");
        QTest::newRow("all A, all C: top left") << 62 << 62 << QPointF(10, 20);
        QTest::newRow("all B, all D: bottom right") << 0 << 0 << QPointF(134, 144);
        QTest::newRow("centre") << 31 << 31 << QPointF(72, 82);
        QTest::newRow("all A, all D") << 62 << 0 << QPointF(10, 144);
        QTest::newRow("outside the range: nearer edge") << 90 << 127 << QPointF(10, 20);
    }
    void pointsAndPositions()
    {
        QFETCH(int, ab);
        QFETCH(int, cd);
        QFETCH(QPointF, at);
        const QRectF plot(10, 20, 124, 124);
        QCOMPARE(pathPoint(ab, cd, plot), at);
        const StepPositions back = positionsAt(at, plot);
        QCOMPARE(back.ab, std::min(ab, 62));
        QCOMPARE(back.cd, std::min(cd, 62));
        // A place outside the plot gives the nearest positions a step can hold.
        QCOMPARE(positionsAt(QPointF(-50, 500), plot).ab, 62);
        QCOMPARE(positionsAt(QPointF(-50, 500), plot).cd, 0);
    }

    void spansFollowTheLengths()
    {
        VectorParams v{};
        v.stepTime[0] = 0;    // 1 unit
        v.stepTime[1] = 2;    // 3 units
        v.stepTime[2] = 255;  // End: no length
        for (int i = 0; i < 3; ++i)
            v.abPosition[i] = v.cdPosition[i] = static_cast<std::uint8_t>(i * 20);
        const QRectF strip(0, 100, 200, 10);
        const VectorPathGeometry g = vectorPathGeometry(v, 1, QRectF(0, 0, 62, 62), strip);
        QCOMPARE(int(g.points.size()), 3);
        QCOMPARE(g.length, 4);
        QCOMPARE(g.points[0].span, QRectF(0, 100, 50, 10));
        QCOMPARE(g.points[1].span, QRectF(50, 100, 150, 10));
        QVERIFY(g.points[2].span.isEmpty());
        QCOMPARE(g.selectedPoint, 1);
        QCOMPARE(g.ending, VectorPathGeometry::Ending::End);

        // Clicks: the nearest point within the radius, the lower step of two
        // that lie together, else the span under the click.
        v.abPosition[1] = v.abPosition[2];
        v.cdPosition[1] = v.cdPosition[2];
        const VectorPathGeometry same = vectorPathGeometry(v, 0, QRectF(0, 0, 62, 62), strip);
        QCOMPARE(stepAt(same, same.points[2].at + QPointF(2, 0), 4), std::optional<int>(1));
        QCOMPARE(stepAt(same, same.points[0].at + QPointF(1, 1), 4), std::optional<int>(0));
        QCOMPARE(stepAt(same, QPointF(120, 105), 4), std::optional<int>(1));
        QCOMPARE(stepAt(same, QPointF(30, 30), 4), std::nullopt);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    {
        VectorPathTest geometry;
        failures += QTest::qExec(&geometry, argc, argv);
    }
    {
        VectorEditTest window;
        failures += QTest::qExec(&window, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}

#include "VectorEditTest.moc"
