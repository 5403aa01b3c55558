#include "Settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <map>
#include <string>

namespace morvane {
namespace {

using Values = std::map<std::string, std::string>;

// A settings store in a file of its own, filled with the given values.
class SettingsStoreTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("store.ini")); }

    std::unique_ptr<QSettings> store(const Values& values = {})
    {
        auto settings = std::make_unique<QSettings>(path(), QSettings::IniFormat);
        for (const auto& [name, text] : values)
            settings->setValue(QString::fromStdString(name), QString::fromStdString(text));
        settings->sync();
        return settings;
    }

    Settings load(const Values& values) { return Settings(store(values)); }

    QTemporaryDir dir;
};

TEST_F(SettingsStoreTest, FirstRunKeepsTheDefaults)
{
    const Settings settings(store());
    EXPECT_FALSE(settings.settingsFound);
    EXPECT_EQ(settings.midiChannel, 0);
    EXPECT_EQ(settings.model, 0);
    EXPECT_EQ(settings.inDevice, 0);
    EXPECT_EQ(settings.outDevice, 0);
    EXPECT_TRUE(settings.autoSend);
    EXPECT_EQ(settings.wireRate, 31250);
}

TEST_F(SettingsStoreTest, OnlyTheChannelDecidesWhetherTheSettingsWereFound)
{
    const Settings settings(store({{"Model", "2"}, {"In device", "3"}, {"Auto send", "0"}}));
    EXPECT_FALSE(settings.settingsFound);
    EXPECT_EQ(settings.model, 0);
    EXPECT_TRUE(settings.autoSend);
}

TEST_F(SettingsStoreTest, StoredSettingsAreFoundWhateverTheCaseOfTheirNames)
{
    for (const char* channelName : {"MIDI channel", "MIDI Channel", "midi CHANNEL"}) {
        SCOPED_TRACE(channelName);
        QFile::remove(path());
        const Settings settings = load(
            {{channelName, "9"}, {"model", "2"}, {"IN DEVICE", "3"}, {"Out device", "12"}, {"Auto Send", "0"}});
        EXPECT_TRUE(settings.settingsFound);
        EXPECT_EQ(settings.midiChannel, 9);
        EXPECT_EQ(settings.model, 2);
        EXPECT_EQ(settings.inDevice, 3);
        EXPECT_EQ(settings.outDevice, 12);
        EXPECT_FALSE(settings.autoSend);
    }
}

TEST_F(SettingsStoreTest, AutoSendIsOffOnlyForALeadingZero)
{
    const struct {
        const char* text;
        bool autoSend;
    } cases[] = {{"0", false}, {"00", false}, {"1", true}, {"7", true}, {"x", true}, {"", true},
                 // longer than a stored value can be: unreadable, so the default
                 {"000", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        QFile::remove(path());
        EXPECT_EQ(load({{"MIDI channel", "0"}, {"Auto send", c.text}}).autoSend, c.autoSend);
    }
}

TEST_F(SettingsStoreTest, NumbersOutsideTheirRangeGiveTheDefault)
{
    // The channel is ORed into the device byte of every message: 16 or more
    // would change the byte's other bits.
    const struct {
        const char* name;
        const char* text;
        int Settings::*field;
        int expected;
    } cases[] = {
        {"MIDI channel", "15", &Settings::midiChannel, 15},
        {"MIDI channel", "16", &Settings::midiChannel, 0},
        {"MIDI channel", "99", &Settings::midiChannel, 0},
        {"MIDI channel", "-1", &Settings::midiChannel, 0},
        {"MIDI channel", "7x", &Settings::midiChannel, 7},
        {"MIDI channel", "x7", &Settings::midiChannel, 0},
        {"MIDI channel", "123", &Settings::midiChannel, 0},
        {"Model", "3", &Settings::model, 0},
        {"In device", "-1", &Settings::inDevice, 0},
        {"In device", "-5", &Settings::inDevice, 0},
        {"Out device", "-9", &Settings::outDevice, 0},
        {"Out device", "99", &Settings::outDevice, 99},
        {"Out device", "100", &Settings::outDevice, 0},
        // Missing in older settings files: the MIDI cable's rate.
        {"Unrelated", "1", &Settings::wireRate, 31250},
        {"Wire rate", "0", &Settings::wireRate, 0},
        {"wire RATE", "38400", &Settings::wireRate, 38400},
        {"Wire rate", "1000000", &Settings::wireRate, 1000000},
        {"Wire rate", "", &Settings::wireRate, 31250},
        {"Wire rate", "x", &Settings::wireRate, 31250},
        {"Wire rate", "0x", &Settings::wireRate, 31250},
        {"Wire rate", "-1", &Settings::wireRate, 31250},
        {"Wire rate", "12", &Settings::wireRate, 31250},
        {"Wire rate", "999999999", &Settings::wireRate, 31250},
        {"Test note key", "127", &Settings::testNoteKey, 127},
        {"Test note key", "128", &Settings::testNoteKey, 60},
        {"Test note velocity", "0", &Settings::testNoteVelocity, 100},
        {"Test note length", "250", &Settings::testNoteLength, 250},
        {"Test note length", "20000", &Settings::testNoteLength, 1000},
        {"Test note length", "5x", &Settings::testNoteLength, 1000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " = " + c.text);
        QFile::remove(path());
        Values values{{c.name, c.text}};
        values.emplace("MIDI channel", "3");  // kept unless the case sets it
        const Settings settings = load(values);
        EXPECT_TRUE(settings.settingsFound);
        EXPECT_EQ(settings.*c.field, c.expected);
    }
}

TEST_F(SettingsStoreTest, SavingLeavesEachValueOnceAsBareDecimalText)
{
    for (const int channel : {9, 15}) {
        SCOPED_TRACE(channel);
        QFile::remove(path());
        // An earlier store spelt the channel another way and has it twice.
        Settings settings(store({{"MIDI channel", "2"}, {"midi channel", "3"}, {"AUTO SEND", "1"}}));
        settings.midiChannel = channel;
        settings.model = 2;
        settings.inDevice = 1;
        settings.outDevice = 10;
        settings.autoSend = false;
        settings.wireRate = 0;
        EXPECT_TRUE(settings.saveSettings());

        const QSettings written(path(), QSettings::IniFormat);
        QStringList keys = written.allKeys();
        keys.sort();
        EXPECT_EQ(keys, (QStringList{"Auto send", "In device", "MIDI Channel", "Model", "Out device", "Wire rate"}));
        const QString channelText = written.value("MIDI Channel").toString();
        EXPECT_EQ(channelText, QString::number(channel));
        EXPECT_EQ(channelText.size(), channel < 10 ? 1 : 2);
        EXPECT_EQ(written.value("Model").toString(), "2");
        EXPECT_EQ(written.value("In device").toString(), "1");
        EXPECT_EQ(written.value("Out device").toString(), "10");
        EXPECT_EQ(written.value("Auto send").toString(), "0");
        EXPECT_EQ(written.value("Wire rate").toString(), "0");

        // The next run finds what this one stored.
        const Settings next(std::make_unique<QSettings>(path(), QSettings::IniFormat));
        EXPECT_TRUE(next.settingsFound);
        EXPECT_EQ(next.midiChannel, channel);
        EXPECT_EQ(next.model, 2);
        EXPECT_EQ(next.outDevice, 10);
        EXPECT_FALSE(next.autoSend);
        EXPECT_EQ(next.wireRate, 0);
    }
}

TEST_F(SettingsStoreTest, TheTestNoteIsStoredOnlyWhenItDiffersFromTheDefault)
{
    {
        Settings settings(store({{"MIDI channel", "0"}}));
        settings.testNoteKey = 64;
        settings.testNoteLength = 250;
        EXPECT_TRUE(settings.saveSettings());
    }
    Settings next(std::make_unique<QSettings>(path(), QSettings::IniFormat));
    EXPECT_EQ(next.testNoteKey, 64);
    EXPECT_EQ(next.testNoteVelocity, Settings::kDefaultTestVelocity);
    EXPECT_EQ(next.testNoteLength, 250);
    const QSettings written(path(), QSettings::IniFormat);
    EXPECT_FALSE(written.contains("Test note velocity"));

    next.testNoteKey = Settings::kDefaultTestKey;  // back to middle C: the value goes
    EXPECT_TRUE(next.saveSettings());
    const QSettings again(path(), QSettings::IniFormat);
    EXPECT_FALSE(again.contains("Test note key"));
    EXPECT_TRUE(again.contains("Test note length"));
}

TEST_F(SettingsStoreTest, DeviceNamesAreStoredBesideThePlaces)
{
    // An older store has places only: no names, and none are written.
    Settings older(store({{"MIDI Channel", "0"}, {"In device", "2"}, {"Out device", "1"}}));
    EXPECT_TRUE(older.inDeviceName.isEmpty());
    EXPECT_TRUE(older.outDeviceName.isEmpty());

    older.inDeviceName = QStringLiteral("morvane-sim-out:out 130:0");
    older.outDeviceName = QStringLiteral("USB MIDI, Port 1 = \"A\"");
    older.saveSettings();
    const Settings next(std::make_unique<QSettings>(path(), QSettings::IniFormat));
    EXPECT_EQ(next.inDevice, 2);
    EXPECT_EQ(next.outDevice, 1);
    EXPECT_EQ(next.inDeviceName, older.inDeviceName);
    EXPECT_EQ(next.outDeviceName, older.outDeviceName);
}

TEST_F(SettingsStoreTest, RecentFilesLastFolderAndWindowPlacesComeBack)
{
    Settings settings(store({{"MIDI Channel", "0"}}));
    for (int i = 0; i < Settings::kMaxRecentFiles + 2; ++i)
        settings.rememberFile(dir.filePath(QStringLiteral("v%1.syx").arg(i)));
    settings.rememberFile(dir.filePath("v3.syx"));   // again: moves to the front, once
    settings.windowPlaces.insert("VoiceCommonEdit", QPoint(-20, 300));
    settings.saveSettings();

    const Settings next(std::make_unique<QSettings>(path(), QSettings::IniFormat));
    ASSERT_EQ(next.recentFiles.size(), Settings::kMaxRecentFiles);
    EXPECT_EQ(next.recentFiles.front(), dir.filePath("v3.syx"));
    EXPECT_EQ(next.recentFiles.count(dir.filePath("v3.syx")), 1);
    EXPECT_EQ(next.recentFiles[1], dir.filePath("v9.syx"));
    EXPECT_EQ(next.lastFolder, dir.path());
    EXPECT_EQ(next.windowPlaces.value("VoiceCommonEdit"), QPoint(-20, 300));
}

// A stored list longer than the menu, or holding a path no file system
// takes, is cut to what the menu can show.
TEST_F(SettingsStoreTest, RecentFilesAreReadWithinBounds)
{
    {
        auto stored = store({{"MIDI Channel", "0"}});
        QStringList list{QString(100000, QLatin1Char('x')), QString(), dir.filePath("first.syx")};
        for (int i = 0; i < 1000; ++i)
            list << dir.filePath(QStringLiteral("v%1.syx").arg(i));
        stored->setValue("Recent files", list);
        stored->sync();
    }
    const Settings settings(std::make_unique<QSettings>(path(), QSettings::IniFormat));
    ASSERT_EQ(settings.recentFiles.size(), Settings::kMaxRecentFiles);
    EXPECT_EQ(settings.recentFiles.front(), dir.filePath("first.syx"));
    EXPECT_EQ(settings.recentFiles.back(), dir.filePath("v6.syx"));
}

#ifndef Q_OS_WIN
TEST(SettingsUserStore, LivesUnderTheOrganisationAndApplicationNames)
{
    QTemporaryDir home;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    {
        Settings settings;
        EXPECT_FALSE(settings.settingsFound);
        settings.midiChannel = 4;
        settings.saveSettings();
    }
    const QString file = QDir(home.path()).filePath(QStringLiteral("QVD/MORVANE.conf"));
    ASSERT_TRUE(QFile::exists(file));
    const Settings again;
    EXPECT_TRUE(again.settingsFound);
    EXPECT_EQ(again.midiChannel, 4);
}
#endif

} // namespace
} // namespace morvane

namespace morvane {
namespace {

TEST_F(SettingsStoreTest, AStoreThatCannotBeWrittenIsNoticed)
{
    QFile blocker(path());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    // Its folder would have to be made inside a file: that fails for anyone.
    Settings settings(std::make_unique<QSettings>(path() + QStringLiteral("/inner.ini"), QSettings::IniFormat));
    EXPECT_FALSE(settings.saveSettings());
    EXPECT_EQ(path() + QStringLiteral("/inner.ini"), settings.storeLocation());
}

} // namespace
} // namespace morvane
