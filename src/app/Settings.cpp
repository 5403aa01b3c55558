#include "Settings.h"

#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>

namespace morvane {

namespace {

constexpr const char* kChannelReadName = "MIDI channel";
constexpr const char* kChannelWrittenName = "MIDI Channel";
constexpr const char* kModelName = "Model";
constexpr const char* kInDeviceName = "In device";
constexpr const char* kOutDeviceName = "Out device";
constexpr const char* kAutoSendName = "Auto send";
constexpr const char* kWireRateName = "Wire rate";
constexpr const char* kTestKeyName = "Test note key";
constexpr const char* kTestVelocityName = "Test note velocity";
constexpr const char* kTestLengthName = "Test note length";
constexpr const char* kStartActionName = "At start-up";
constexpr const char* kFilterAnyName = "Filter any category";
constexpr const char* kMainWindowSizeName = "Main window size";  // "width,height"
constexpr int kLargestWindowSide = 20000;

// A rate is stored as bare decimal digits; 0 means "at once".
constexpr int kMaxRateLength = 8;
constexpr int kLowestRate = 300;
constexpr int kHighestRate = 10'000'000;
constexpr const char* kInDeviceNameName = "In device name";
constexpr const char* kOutDeviceNameName = "Out device name";
constexpr const char* kLibraryName = "Library";
constexpr const char* kLastFolderName = "Last folder";
constexpr const char* kRecentFilesName = "Recent files";
constexpr const char* kControllerInName = "Controller in device name";
constexpr const char* kControllerBindingsName = "Controller bindings";
// One value per window, "Windows/<objectName>" = "x,y".
constexpr const char* kWindowsGroup = "Windows/";

// Stored numbers are at most two characters; a longer one is treated as
// unreadable and the field keeps its default. Device names are longer, but
// not without bound.
constexpr int kMaxValueLength = 2;
constexpr int kMaxNameLength = 1024;

// The stored text of a value whose name matches without regard to case, as
// the Windows registry matches names.
bool readValue(QSettings& store, const char* name, QString& text)
{
    const QStringList keys = store.allKeys();
    for (const QString& key : keys) {
        if (key.compare(QLatin1String(name), Qt::CaseInsensitive) == 0) {
            text = store.value(key).toString();
            return true;
        }
    }
    return false;
}

// The decimal number spelt by the leading ASCII digits; no digits give 0, so
// a stored value can never be negative.
int leadingNumber(const QString& text)
{
    int value = 0;
    for (QChar ch : text) {
        if (ch.unicode() < '0' || ch.unicode() > '9')
            break;
        value = value * 10 + (ch.unicode() - '0');
    }
    return value;
}

// Settings files from before the rate existed lack it: the cable's rate.
int readWireRate(QSettings& store)
{
    QString text;
    if (!readValue(store, kWireRateName, text) || text.isEmpty() || text.size() > kMaxRateLength)
        return Settings::kCableRate;
    for (QChar ch : text)
        if (ch.unicode() < '0' || ch.unicode() > '9')
            return Settings::kCableRate;
    const int rate = text.toInt();
    if (rate == Settings::kSendAtOnce || (rate >= kLowestRate && rate <= kHighestRate))
        return rate;
    return Settings::kCableRate;
}

int readNumber(QSettings& store, const char* name, int fallback, int min, int max)
{
    QString text;
    if (!readValue(store, name, text) || text.size() > kMaxValueLength)
        return fallback;
    const int value = leadingNumber(text);
    return value < min || value > max ? fallback : value;
}

// The test note's values: bare decimal digits within the range, else the
// default.
int readTestNoteValue(QSettings& store, const char* name, int fallback, int min, int max)
{
    QString text;
    if (!readValue(store, name, text) || text.isEmpty() || text.size() > 5)
        return fallback;
    for (QChar ch : text)
        if (ch.unicode() < '0' || ch.unicode() > '9')
            return fallback;
    const int value = text.toInt();
    return value < min || value > max ? fallback : value;
}

} // namespace

Settings::Settings(std::unique_ptr<QSettings> store)
    : store_(store ? std::move(store)
                   : std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                 QStringLiteral("QVD"), QStringLiteral("MORVANE")))
{
    QString channelText;
    if (!readValue(*store_, kChannelReadName, channelText))
        return;  // first run: defaults stay
    settingsFound = true;
    // A channel outside 0-15 would spill into the other bits of the device byte.
    midiChannel = readNumber(*store_, kChannelReadName, 0, 0, 15);
    model = readNumber(*store_, kModelName, 0, 0, 2);
    inDevice = readNumber(*store_, kInDeviceName, 0, 0, 99);
    outDevice = readNumber(*store_, kOutDeviceName, 0, 0, 99);
    QString nameText;
    if (readValue(*store_, kInDeviceNameName, nameText) && nameText.size() <= kMaxNameLength)
        inDeviceName = nameText;
    if (readValue(*store_, kOutDeviceNameName, nameText) && nameText.size() <= kMaxNameLength)
        outDeviceName = nameText;
    if (readValue(*store_, kLibraryName, nameText) && nameText.size() <= kMaxNameLength)
        libraryPath = nameText;
    if (readValue(*store_, kLastFolderName, nameText) && nameText.size() <= kMaxNameLength)
        lastFolder = nameText;
    if (readValue(*store_, kControllerInName, nameText) && nameText.size() <= kMaxNameLength)
        controllerInName = nameText;
    for (const QString& key : store_->allKeys()) {
        if (key.compare(QLatin1String(kControllerBindingsName), Qt::CaseInsensitive) == 0) {
            controllerBindings = store_->value(key).toStringList().mid(0, kMaxControllerBindings);
        } else if (key.compare(QLatin1String(kRecentFilesName), Qt::CaseInsensitive) == 0) {
            // At most the list's length, each a path of sensible length.
            recentFiles.clear();
            for (const QString& path : store_->value(key).toStringList()) {
                if (recentFiles.size() == kMaxRecentFiles)
                    break;
                if (!path.isEmpty() && path.size() <= kMaxNameLength)
                    recentFiles << path;
            }
        } else if (key.startsWith(QLatin1String(kWindowsGroup), Qt::CaseInsensitive)) {
            const QStringList xy = store_->value(key).toString().split(QLatin1Char(','));
            bool xOk = false;
            bool yOk = false;
            const int x = xy.value(0).toInt(&xOk);
            const int y = xy.value(1).toInt(&yOk);
            if (xy.size() == 2 && xOk && yOk)
                windowPlaces.insert(key.mid(int(qstrlen(kWindowsGroup))), QPoint(x, y));
        }
    }
    QString autoText;
    if (readValue(*store_, kAutoSendName, autoText) && autoText.size() <= kMaxValueLength)
        autoSend = !autoText.startsWith(QLatin1Char('0'));
    wireRate = readWireRate(*store_);
    testNoteKey = readTestNoteValue(*store_, kTestKeyName, testNoteKey, 0, 127);
    testNoteVelocity = readTestNoteValue(*store_, kTestVelocityName, testNoteVelocity, 1, 127);
    testNoteLength = readTestNoteValue(*store_, kTestLengthName, testNoteLength, kShortestTestNote, kLongestTestNote);
    startAction = static_cast<StartAction>(readNumber(*store_, kStartActionName, 0, 0, 2));
    filterAny = readNumber(*store_, kFilterAnyName, 0, 0, 1) == 1;
    QString sizeText;
    if (readValue(*store_, kMainWindowSizeName, sizeText) && sizeText.size() <= 16) {
        const QStringList wh = sizeText.split(QLatin1Char(','));
        bool wOk = false;
        bool hOk = false;
        const int w = wh.value(0).toInt(&wOk);
        const int h = wh.value(1).toInt(&hOk);
        if (wh.size() == 2 && wOk && hOk && w > 0 && h > 0 && w <= kLargestWindowSide && h <= kLargestWindowSide)
            mainWindowSize = QSize(w, h);
    }
}

Settings::~Settings() = default;

void Settings::rememberFile(const QString& path)
{
    const QFileInfo file(path);
    const QString full = file.absoluteFilePath();
    recentFiles.removeAll(full);
    recentFiles.prepend(full);
    while (recentFiles.size() > kMaxRecentFiles)
        recentFiles.removeLast();
    lastFolder = file.absolutePath();
}

bool Settings::saveSettings()
{
    // Drop every spelling of our names first, so each is stored once.
    const QStringList names{kChannelReadName,  kModelName,         kInDeviceName,   kOutDeviceName,
                            kAutoSendName,     kWireRateName,      kInDeviceNameName, kOutDeviceNameName,
                            kLibraryName,      kLastFolderName,    kRecentFilesName,
                            kTestKeyName,      kTestVelocityName,  kTestLengthName,
                            kStartActionName,  kFilterAnyName,     kMainWindowSizeName,
                            kControllerInName, kControllerBindingsName};
    for (const QString& key : store_->allKeys()) {
        for (const QString& name : names) {
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                store_->remove(key);
        }
    }
    store_->setValue(kChannelWrittenName, QString::number(midiChannel));
    store_->setValue(kModelName, QString::number(model));
    store_->setValue(kInDeviceName, QString::number(inDevice));
    store_->setValue(kOutDeviceName, QString::number(outDevice));
    store_->setValue(kAutoSendName, QString::number(autoSend ? 1 : 0));
    store_->setValue(kWireRateName, QString::number(wireRate));
    // Only a device known by name is stored by name.
    if (!inDeviceName.isEmpty())
        store_->setValue(kInDeviceNameName, inDeviceName);
    if (!outDeviceName.isEmpty())
        store_->setValue(kOutDeviceNameName, outDeviceName);
    if (!libraryPath.isEmpty())
        store_->setValue(kLibraryName, libraryPath);
    if (!lastFolder.isEmpty())
        store_->setValue(kLastFolderName, lastFolder);
    if (!recentFiles.isEmpty())
        store_->setValue(kRecentFilesName, recentFiles);
    if (!controllerInName.isEmpty())
        store_->setValue(kControllerInName, controllerInName);
    if (!controllerBindings.isEmpty())
        store_->setValue(kControllerBindingsName, controllerBindings);
    for (auto place = windowPlaces.cbegin(); place != windowPlaces.cend(); ++place)
        store_->setValue(QLatin1String(kWindowsGroup) + place.key(),
                         QStringLiteral("%1,%2").arg(place.value().x()).arg(place.value().y()));
    // The test note's values are stored only when they differ from the
    // defaults, so a store without them reads as the defaults.
    const std::pair<const char*, int> testNote[] = {{kTestKeyName, testNoteKey},
                                                    {kTestVelocityName, testNoteVelocity},
                                                    {kTestLengthName, testNoteLength}};
    const int defaultValues[] = {kDefaultTestKey, kDefaultTestVelocity, kDefaultTestLength};
    for (std::size_t i = 0; i < std::size(testNote); ++i)
        if (testNote[i].second != defaultValues[i])
            store_->setValue(testNote[i].first, QString::number(testNote[i].second));
    // So are the start-up action and the category filter's way of matching.
    if (startAction != StartAction::FetchVoice)
        store_->setValue(kStartActionName, QString::number(static_cast<int>(startAction)));
    if (filterAny)
        store_->setValue(kFilterAnyName, QStringLiteral("1"));
    if (mainWindowSize.isValid())
        store_->setValue(kMainWindowSizeName,
                         QStringLiteral("%1,%2").arg(mainWindowSize.width()).arg(mainWindowSize.height()));
    store_->sync();
    return store_->status() == QSettings::NoError;
}

QString Settings::storeLocation() const
{
    return store_->fileName();
}

} // namespace morvane
