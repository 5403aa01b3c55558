// Driving an editor window as a user does: finding controls by name,
// typing into boxes, stepping up-downs, choosing list items, moving bars.
#pragma once

#include "EditorWindow.h"
#include "FakeEditorHost.h"
#include "UpDown.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <memory>

namespace morvane::test {

template <typename T>
T* child(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (widget == nullptr)
        qFatal("no control %s", name);
    return widget;
}

// Types `text` into a box as a new entry: the box takes the focus afresh,
// its text is selected and every character is a keystroke.
inline void typeInto(QWidget& window, const char* boxName, const QString& text)
{
    QLineEdit* box = child<QLineEdit>(window, boxName);
    box->clearFocus();
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

// Clicks an up-down's arrow `times` times.
inline void step(QWidget& window, const char* upDownName, int times)
{
    UpDown* upDown = child<UpDown>(window, upDownName);
    QToolButton* arrow = upDown->findChild<QToolButton*>(times > 0 ? "up" : "down");
    for (int i = 0; i < std::abs(times); ++i)
        QTest::mouseClick(arrow, Qt::LeftButton);
}

// Chooses an item of a drop-down list as the user does (the list raises
// `activated`).
inline void choose(QWidget& window, const char* listName, int index)
{
    QComboBox* list = child<QComboBox>(window, listName);
    QVERIFY2(list->isEnabled(), listName);
    list->setCurrentIndex(index);
    emit list->activated(index);
}

// Moves a bar to a position as the user does.
inline void moveBar(QWidget& window, const char* barName, int position)
{
    QAbstractSlider* bar = child<QAbstractSlider>(window, barName);
    bar->setSliderPosition(position);
}

inline bool sameVoice(const VoiceParameters& a, const VoiceParameters& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The voice that the last dump sent carries.
inline VoiceParameters sentVoice(const FakeEditorHost& host)
{
    VoiceParameters voice{};
    VoiceData data(voice);
    if (host.sent.empty() || !data.decodeDump(host.sent.back().data(), host.sent.back().size()))
        qFatal("no voice was sent");
    return voice;
}

// Refreshes a new window from the host's voice and shows it, as the program
// does; the sends counted start from here.
inline void openWindow(EditorWindow& window, FakeEditorHost& host)
{
    window.updateDisplay();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    host.sent.clear();
}

// The buttons every editor window has: "Send voice" sends whatever the
// auto-send switch says, "Help" asks for the window's page, "Get voice" asks
// the instrument, "Close" hides the window.
inline void pressTheButtons(QWidget& window, FakeEditorHost& host, int helpContext)
{
    const std::size_t sent = host.sent.size();
    QTest::mouseClick(child<QPushButton>(window, "bSendVoice"), Qt::LeftButton);
    QCOMPARE(host.sent.size(), sent + 1);
    QTest::mouseClick(child<QPushButton>(window, "HelpButton"), Qt::LeftButton);
    QCOMPARE(host.helpContexts, std::vector<int>{helpContext});
    QTest::mouseClick(child<QPushButton>(window, "bGetVoice"), Qt::LeftButton);
    QCOMPARE(host.getVoiceCalls, 1);
    QTest::mouseClick(child<QPushButton>(window, "bClose"), Qt::LeftButton);
    QVERIFY(window.isHidden());
}

// Every control named is in the window.
inline void expectControls(QWidget& window, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        QVERIFY2(window.findChild<QWidget*>(QString::fromLatin1(name)) != nullptr, name);
}

// Every visible control lies inside the window, which is then grabbed into
// the tests' folder of pictures to be looked at.
inline void expectInsideAndGrab(QWidget& window, const char* file)
{
    for (QWidget* w : window.findChildren<QWidget*>())
        if (w->isVisible())
            QVERIFY2(window.rect().contains(QRect(w->mapTo(&window, QPoint(0, 0)), w->size())),
                     qPrintable(w->objectName() + " " + w->metaObject()->className()));
    QDir().mkpath(MORVANE_GRAB_DIR);
    QVERIFY(window.grab().save(QDir(MORVANE_GRAB_DIR).filePath(QString::fromLatin1(file))));
}

// An element editor's partner, recording what it is told.
class RecordingPartner : public EnvelopeDrawer {
public:
    void drawEnvelope() override { ++redraws; }
    void envDelayChanged() override { ++delayChanges; }
    int redraws = 0;
    int delayChanges = 0;
};

// What an element editor's test holds: the host, the window and its
// partner, and reading the window's controls by name.
template <typename Window>
struct ElementEditorUnderTest {
    std::unique_ptr<FakeEditorHost> host;
    std::unique_ptr<Window> window;
    RecordingPartner partner;

    template <typename T>
    T* get(const char* name) { return child<T>(*window, name); }
    QString text(const char* box) { return get<QLineEdit>(box)->text(); }
    int position(const char* upDown) { return get<UpDown>(upDown)->position(); }
};

} // namespace morvane::test
