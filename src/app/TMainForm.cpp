#include "TMainForm.h"

#include "TBankEdit.h"
#include "TMultiEdit.h"
#include "MorphPad.h"
#include "ExploreWindow.h"
#include "ControllersDialog.h"

#include "AboutMorvane.h"
#include "AppContext.h"
#include "AppServices.h"
#include "Artwork.h"
#include "LibraryBrowser.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "Settings.h"
#include "SoundDesignDialogs.h"
#include "TSetDevices.h"
#include "EditorWindow.h"
#include "HelpWindow.h"

#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>
#include <QMessageBox>
#include <random>
#include <QToolButton>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace morvane {

namespace {

// The window as it first opens; it may be made larger.
constexpr QSize kStartSize{420, 520};

// One line of the link state's tool tip.
QString linkLine(const char* direction, MidiPort::Link link, const std::string& name)
{
    if (name.empty())
        return QStringLiteral("MIDI %1: none chosen").arg(QLatin1String(direction));
    const char* state = link == MidiPort::Link::Open      ? "connected"
                        : link == MidiPort::Link::Missing ? "not found, waiting for it"
                                                          : "not open";
    return QStringLiteral("MIDI %1: %2 (%3)")
        .arg(QLatin1String(direction), QString::fromStdString(name), QLatin1String(state));
}

QString lamp(const char* label, bool on)
{
    return QStringLiteral("%1 <span style=\"color:%2\">&#9679;</span>")
        .arg(QLatin1String(label), QLatin1String(on ? "#00ff00" : "#ff3030"));
}

// Voice files carry the extension in either case on disks that tell them apart.
constexpr const char* kOpenFilter = "System Exclusive files (*.SYX *.syx)";
constexpr const char* kSaveFilter = "System Exclusive files (*.SYX *.syx)";
// Without an extension typed, "SYX" is added, so that the file shows in the
// open dialog's filter.
constexpr const char* kDefaultSuffix = "SYX";

} // namespace

TMainForm::TMainForm(AppContext& context, AppServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), services_(services)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Morvane"));
    // Every rule names the window's own controls, so that no dialog made
    // with this window as its parent takes on its colours.
    setStyleSheet(QStringLiteral(
        "QWidget#MainForm, QWidget#client { background-color: black; }"
        "QLabel#Label1 { color: yellow; }"
        "QLabel#LinkState { color: #c0c0c0; }"
        "QLabel#SendState { color: #ff6060; }"
        "QLabel#Notice { color: #e0e0e0; }"
        "QFrame#Panel1 { background-color: #4a4a4a; border: 1px solid #808080; }"
        "QGroupBox#GroupBox1 { background-color: #4a4a4a; color: lime; font-weight: bold;"
        "  border: 1px solid #9a9a9a; margin-top: 1.2em; padding-top: 2px; }"
        "QGroupBox#GroupBox1::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"
        "QGroupBox#GroupBox1 QCheckBox, QGroupBox#GroupBox1 QRadioButton, QGroupBox#GroupBox1 QLabel"
        "  { color: yellow; font-weight: normal; }"
        "QListView#dbListBox { background-color: white; color: black; }"
        "QMenuBar#MainMenu1 { background-color: palette(window); color: palette(window-text); }"
        "QToolButton#bAutoSend, QToolButton#bNoAutoSend { background-color: #c0c0c0; border: 2px outset #e0e0e0; }"
        "QToolButton#bAutoSend:checked, QToolButton#bNoAutoSend:checked"
        "  { background-color: #808080; border: 2px inset #505050; }"));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));

    Image1 = new QLabel(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Image1->setPixmap(context.stripPicture != nullptr ? *context.stripPicture : artwork::stripPicture());
    Image1->setFixedWidth(artwork::kStripWidth);
    Label13 = artwork::makeVersionLabel(client);
    Label13->setObjectName(QStringLiteral("Label13"));
    Label13->setFixedWidth(artwork::kStripWidth);

    auto* panel = new QFrame(client);
    panel->setObjectName(QStringLiteral("Panel1"));
    browser_ = new LibraryBrowser(*context.library, *context.voiceData, services, panel);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    panelLayout->addWidget(browser_);

    Label1 = new QLabel(QStringLiteral("Send voice on change: "), client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto speedButton = [client](QToolButton*& button, const char* name, bool on, const char* hint) {
        button = new QToolButton(client);
        button->setObjectName(QString::fromLatin1(name));
        button->setCheckable(true);
        button->setIcon(artwork::autoSendPicture(on));
        button->setIconSize(QSize(28, 18));
        button->setFixedSize(39, 25);
        button->setToolTip(QString::fromLatin1(hint));
    };
    speedButton(bAutoSend, "bAutoSend", true, "Send every change in the editors to the instrument at once");
    speedButton(bNoAutoSend, "bNoAutoSend", false, "Do not send changes; \"Send voice\" sends the voice on request");
    auto* group = new QButtonGroup(this);  // exactly one is down; pressing it again changes nothing
    group->addButton(bAutoSend);
    group->addButton(bNoAutoSend);
    (context.settings->autoSend ? bAutoSend : bNoAutoSend)->setChecked(true);
    connect(bAutoSend, &QToolButton::clicked, this, &TMainForm::bAutoSendClick);
    connect(bNoAutoSend, &QToolButton::clicked, this, &TMainForm::bNoAutoSendClick);

    LinkState = new QLabel(client);
    LinkState->setObjectName(QStringLiteral("LinkState"));
    LinkState->setTextFormat(Qt::RichText);
    // The foot's texts wrap rather than being cut short.
    auto footLabel = [client](const char* name) {
        auto* label = new QLabel(client);
        label->setObjectName(QString::fromLatin1(name));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setMinimumWidth(1);
        label->hide();
        return label;
    };
    SendState = footLabel("SendState");
    Notice = footLabel("Notice");

    // The picture strip on the left; the library box takes the room the
    // window is given.
    auto* strip = new QVBoxLayout;
    strip->setSpacing(0);
    strip->addWidget(Image1);
    strip->addStretch();
    strip->addWidget(Label13);
    auto* sendRow = new QHBoxLayout;
    sendRow->setSpacing(0);
    sendRow->addStretch();
    sendRow->addWidget(Label1);
    sendRow->addWidget(bAutoSend);
    sendRow->addWidget(bNoAutoSend);
    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    right->addWidget(panel, 1);
    right->addLayout(sendRow);
    auto* body = new QHBoxLayout;
    body->setSpacing(7);
    body->addLayout(strip);
    body->addLayout(right, 1);
    auto* foot = new QVBoxLayout;
    foot->setSpacing(1);
    foot->addWidget(LinkState);
    foot->addWidget(SendState);
    foot->addWidget(Notice);
    auto* clientLayout = new QVBoxLayout(client);
    clientLayout->setContentsMargins(0, 4, 4, 2);
    clientLayout->addLayout(body, 1);
    clientLayout->addLayout(foot);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setNativeMenuBar(false);
    buildMenus();
    connect(browser_, &LibraryBrowser::modifyEnabledChanged, ModifyVoice, &QAction::setEnabled);
    browser_->setFilterAny(context.settings->filterAny);
    connect(browser_, &LibraryBrowser::filterAnyChanged, this, [this](bool any) { context_.settings->filterAny = any; });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(client);
    // As large as the user left it, else the start size.
    startSize_ = kStartSize.expandedTo(minimumSizeHint());
    resize(context.settings->mainWindowSize.isValid() ? context.settings->mainWindowSize.expandedTo(minimumSizeHint())
                                                      : startSize_);

    setAcceptDrops(true);
    showLinkState();
    browser_->setUp();
    showSendResult(context.midiPort->sendError());
    showVoiceState(false);
    // The focus starts in the list, where the window's Ctrl keys are free
    // (the search box keeps them for its text).
    browser_->focusList();
}

void TMainForm::showLinkState()
{
    const MidiPort& port = *context_.midiPort;
    LinkState->setText(lamp("In", port.inputIsOpen()) + QStringLiteral("&nbsp;") + lamp("Out", port.outputIsOpen()));
    LinkState->setToolTip(linkLine("input", port.inputLink(), port.chosenInput()) + QLatin1Char('\n')
                          + linkLine("output", port.outputLink(), port.chosenOutput()));
}

void TMainForm::showSendResult(const std::string& error, SendPacer::Carries what)
{
    const auto notSent = [what] {
        switch (what) {
        case SendPacer::Carries::Voice: return QStringLiteral("Voice not sent: ");
        case SendPacer::Carries::Multi: return QStringLiteral("Multi not sent: ");
        case SendPacer::Carries::Bank: return QStringLiteral("Bank not sent: ");
        case SendPacer::Carries::Other: break;
        }
        return QStringLiteral("Not sent: ");
    };
    const QString text = error.empty() ? QString() : notSent() + QString::fromStdString(error);
    if (text == SendState->text())
        return;
    SendState->setText(text);
    SendState->setToolTip(text);
    SendState->setVisible(!text.isEmpty());
}

void TMainForm::addNotice(const QString& text)
{
    const QString now = Notice->text().isEmpty() || text.isEmpty() ? text : Notice->text() + QLatin1Char('\n') + text;
    Notice->setText(now);
    Notice->setVisible(!now.isEmpty());
}

void TMainForm::showVoiceState(bool edited)
{
    const QString name = QString::fromLatin1(context_.voice->common.name, 8).trimmed();
    setWindowTitle(QStringLiteral("%1[*] - Morvane").arg(name.isEmpty() ? QStringLiteral("(no name)") : name));
    setWindowModified(edited);
}

void TMainForm::buildMenus()
{
    struct Item {
        const char* menu;       // a new menu starts where this is set
        const char* caption;    // null: a separator
        const char* name;
        QKeySequence shortcut;
        void (TMainForm::*handler)();
    };
    const Item items[] = {
        {"&File", "&Load voice", "Open1", QKeySequence(Qt::CTRL | Qt::Key_O), &TMainForm::Open1Click},
        {nullptr, "Open &recent", "OpenRecent", {}, nullptr},
        {nullptr, "&Save voice", "Save1", QKeySequence(Qt::CTRL | Qt::Key_S), &TMainForm::Save1Click},
        {nullptr, nullptr, nullptr, {}, nullptr},
        {nullptr, "&Modify voice in database", "ModifyVoice", QKeySequence(Qt::CTRL | Qt::Key_M), nullptr},
        {nullptr, "&Add voice to database", "Addvoicetodatabase1", QKeySequence(Qt::CTRL | Qt::Key_D), nullptr},
        {nullptr, "&Import voices...", "ImportVoices", QKeySequence(Qt::CTRL | Qt::Key_I), &TMainForm::ImportVoicesClick},
        {nullptr, nullptr, nullptr, {}, nullptr},
        {nullptr, "E&xit", "Exit1", QKeySequence(Qt::CTRL | Qt::Key_Q), &TMainForm::Exit1Click},
        {"&Edit", "&Undo", "Undo1", QKeySequence(Qt::CTRL | Qt::Key_Z), &TMainForm::Undo1Click},
        {nullptr, "&Redo", "Redo1", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &TMainForm::Redo1Click},
        {nullptr, nullptr, nullptr, {}, nullptr},
        {nullptr, "C&ompare with loaded voice", "Compare1", QKeySequence(Qt::CTRL | Qt::Key_K), &TMainForm::Compare1Click},
        {nullptr, "Ra&ndomise...", "Randomise1", {}, &TMainForm::Randomise1Click},
        {nullptr, "B&lend with voice file...", "Blend1", {}, &TMainForm::Blend1Click},
        {nullptr, "&Morph pad...", "MorphPad1", {}, &TMainForm::MorphPad1Click},
        {nullptr, "E&xplore...", "Explore1", {}, &TMainForm::Explore1Click},
        {nullptr, nullptr, nullptr, {}, nullptr},
        {nullptr, "Elements &A && C", "ElementA1", QKeySequence(Qt::CTRL | Qt::Key_A), nullptr},
        {nullptr, "Elements &B && D", "ElementB1", QKeySequence(Qt::CTRL | Qt::Key_B), nullptr},
        {nullptr, "Voice &common", "Voicecommon1", QKeySequence(Qt::CTRL | Qt::Key_C), nullptr},
        {nullptr, "&Vectors", "Vector1", QKeySequence(Qt::CTRL | Qt::Key_V), nullptr},
        {nullptr, nullptr, nullptr, {}, nullptr},
        {nullptr, "M&ulti...", "Multi1", {}, &TMainForm::Multi1Click},
        {"&MIDI", "&Select MIDI devices", "SelectMIDIdevices1", {}, &TMainForm::SelectMIDIdevices1Click},
        {nullptr, "&Get voice from synth", "Getsoundfromsynth1", {}, &TMainForm::Getsoundfromsynth1Click},
        {nullptr, "&Pace sends to the MIDI cable", "Pacesends1", {}, &TMainForm::Pacesends1Click},
        {nullptr, "At &start-up", "StartAction", {}, nullptr},
        {nullptr, nullptr, nullptr, {}, nullptr},
        {nullptr, "&Voice bank window", "BankWindow1", {}, &TMainForm::BankWindow1Click},
        {nullptr, "Get &bank", "GetBank1", {}, &TMainForm::GetBank1Click},
        {nullptr, "&Receive bank...", "ReceiveBank1", {}, &TMainForm::ReceiveBank1Click},
        {nullptr, "Se&nd bank", "SendBank1", {}, &TMainForm::SendBank1Click},
        {nullptr, nullptr, nullptr, {}, nullptr},
        {nullptr, "Play &test note", "PlayTestNote1", QKeySequence(Qt::CTRL | Qt::Key_T), &TMainForm::PlayTestNote1Click},
        {nullptr, "Test note &options...", "TestNoteOptions1", {}, &TMainForm::TestNoteOptions1Click},
        {nullptr, "&Controllers...", "Controllers1", {}, &TMainForm::Controllers1Click},
        {"&Help", "&Contents", "Contents1", {}, &TMainForm::Contents1Click},
        {nullptr, "&About", "About2", {}, &TMainForm::About2Click},
    };
    QMenu* menu = nullptr;
    for (const Item& item : items) {
        if (item.menu != nullptr)
            menu = MainMenu1->addMenu(QString::fromLatin1(item.menu));
        if (item.caption == nullptr) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setShortcut(item.shortcut);
        if (item.handler != nullptr)
            connect(action, &QAction::triggered, this, item.handler);
    }
    // Exit answers Ctrl+Q as on Linux desktops, and Ctrl+X as it always has.
    findChild<QAction*>(QStringLiteral("Exit1"))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Q), QKeySequence(Qt::CTRL | Qt::Key_X)});
    buildStartActionMenu();
    Pacesends1 = findChild<QAction*>(QStringLiteral("Pacesends1"));
    Pacesends1->setCheckable(true);
    Pacesends1->setChecked(context_.settings->wireRate != Settings::kSendAtOnce);
    auto* recent = new QMenu(this);
    recent->setObjectName(QStringLiteral("OpenRecentMenu"));
    findChild<QAction*>(QStringLiteral("OpenRecent"))->setMenu(recent);
    connect(recent, &QMenu::aboutToShow, this, &TMainForm::listRecentFiles);
    ModifyVoice = findChild<QAction*>(QStringLiteral("ModifyVoice"));
    findChild<QAction*>(QStringLiteral("Compare1"))->setCheckable(true);
    findChild<QAction*>(QStringLiteral("Redo1"))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    showHistory({}, {});
    connect(ModifyVoice, &QAction::triggered, browser_, &LibraryBrowser::ModifyVoiceClick);
    connect(findChild<QAction*>(QStringLiteral("Addvoicetodatabase1")), &QAction::triggered, browser_,
            &LibraryBrowser::Addvoicetodatabase1Click);
    ModifyVoice->setEnabled(browser_->canModify());
    editorsCreated();
}

void TMainForm::editorsCreated()
{
    // Each editor's item shows and raises it, making it the first time; an
    // editor that the program does not have keeps its item disabled.
    for (const char* name : {"ElementA1", "ElementB1", "Voicecommon1", "Vector1"}) {
        auto* action = findChild<QAction*>(QString::fromLatin1(name));
        action->setEnabled(services_.hasEditor(name));
        disconnect(action, &QAction::triggered, this, nullptr);
        connect(action, &QAction::triggered, this, [this, name] { showEditor(services_.editor(name)); });
    }
    for (const AppServices::Editor& editor : services_.editors())
        editorAdded(*editor.window);
}

void TMainForm::editorAdded(QWidget& editor)
{
    // Loading and saving work from every editor window too.
    if (editor.findChild<QShortcut*>(QStringLiteral("OpenShortcut")) != nullptr)
        return;
    auto* open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), &editor);
    open->setObjectName(QStringLiteral("OpenShortcut"));
    connect(open, &QShortcut::activated, this, &TMainForm::Open1Click);
    auto* save = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), &editor);
    save->setObjectName(QStringLiteral("SaveShortcut"));
    connect(save, &QShortcut::activated, this, &TMainForm::Save1Click);
}

void TMainForm::buildStartActionMenu()
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("StartActionMenu"));
    auto* choices = new QActionGroup(menu);
    const std::pair<const char*, Settings::StartAction> items[] = {
        {"&Fetch the instrument's voice", Settings::StartAction::FetchVoice},
        {"&Send the first library voice", Settings::StartAction::SendFirstVoice},
        {"&Do nothing", Settings::StartAction::Nothing},
    };
    const char* names[] = {"StartFetch", "StartSend", "StartNothing"};
    for (std::size_t i = 0; i < std::size(items); ++i) {
        QAction* action = menu->addAction(QString::fromLatin1(items[i].first));
        action->setObjectName(QString::fromLatin1(names[i]));
        action->setCheckable(true);
        action->setChecked(context_.settings->startAction == items[i].second);
        choices->addAction(action);
        const Settings::StartAction chosen = items[i].second;
        connect(action, &QAction::triggered, this, [this, chosen] { context_.settings->startAction = chosen; });
    }
    findChild<QAction*>(QStringLiteral("StartAction"))->setMenu(menu);
}

void TMainForm::listRecentFiles()
{
    auto* menu = findChild<QMenu*>(QStringLiteral("OpenRecentMenu"));
    menu->clear();
    const QStringList& files = context_.settings->recentFiles;
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { openFile(path); });
    }
    if (files.isEmpty())
        menu->addAction(QStringLiteral("(none yet)"))->setEnabled(false);
}

void TMainForm::openFile(const QString& path)
{
    services_.loadVoiceFile(path);
    services_.refreshEditors();
}

QString TMainForm::startFolder() const
{
    const QString& folder = context_.settings->lastFolder;
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void TMainForm::Open1Click()
{
    QFileDialog dialog(this, QStringLiteral("Open sound file"), startFolder(), QString::fromLatin1(kOpenFilter));
    dialog.setOptions(QFileDialog::ReadOnly | QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (services_.showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    context_.settings->lastFolder = dialog.directory().absolutePath();
    openFile(dialog.selectedFiles().first());
}

void TMainForm::Save1Click()
{
    QFileDialog dialog(this, QStringLiteral("Save voice"), startFolder(), QString::fromLatin1(kSaveFilter));
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kDefaultSuffix));
    if (services_.showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    services_.saveVoiceFile(dialog.selectedFiles().first());
}

void TMainForm::ImportVoicesClick()
{
    QFileDialog dialog(this, QStringLiteral("Import voice files and banks"), startFolder(),
                       QString::fromLatin1(kOpenFilter));
    dialog.setObjectName(QStringLiteral("ImportFiles"));
    dialog.setOptions(QFileDialog::ReadOnly | QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (services_.showModal(dialog) != QDialog::Accepted)
        return;
    browser_->importFiles(dialog.selectedFiles());
}

void TMainForm::hideEditors()
{
    for (const AppServices::Editor& editor : services_.editors())
        editor.window->hide();
}

void TMainForm::Undo1Click()
{
    services_.undo();
}

void TMainForm::Redo1Click()
{
    services_.redo();
}

void TMainForm::showHistory(const QString& undoName, const QString& redoName)
{
    auto* undo = findChild<QAction*>(QStringLiteral("Undo1"));
    undo->setEnabled(!undoName.isEmpty());
    undo->setText(undoName.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo ") + undoName);
    auto* redo = findChild<QAction*>(QStringLiteral("Redo1"));
    redo->setEnabled(!redoName.isEmpty());
    redo->setText(redoName.isEmpty() ? QStringLiteral("&Redo") : QStringLiteral("&Redo ") + redoName);
}

namespace {

// The one local file a drag carries; empty for anything else.
QString droppedFile(const QMimeData* mime)
{
    if (mime == nullptr || mime->urls().size() != 1 || !mime->urls().front().isLocalFile())
        return {};
    return mime->urls().front().toLocalFile();
}

} // namespace

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended, so that the program the file came from is
    // not kept waiting by a message.
    QTimer::singleShot(0, this, [this, path] { openFile(path); });
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Kept once the user gave the window a size of their own.
    Settings& settings = *context_.settings;
    if (isVisible() && (size() != startSize_ || settings.mainWindowSize.isValid()))
        settings.mainWindowSize = size();
}

void TMainForm::Exit1Click()
{
    close();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    hideEditors();
    event->accept();
    QCoreApplication::exit(0);
}

void TMainForm::showEditor(QWidget* editor)
{
    if (editor == nullptr)
        return;
    editor->show();
    editor->raise();
    editor->activateWindow();
}


void TMainForm::Compare1Click()
{
    services_.setComparing(findChild<QAction*>(QStringLiteral("Compare1"))->isChecked());
}

void TMainForm::showComparing(bool on)
{
    findChild<QAction*>(QStringLiteral("Compare1"))->setChecked(on);
}

void TMainForm::Randomise1Click()
{
    if (Randomise == nullptr)
        Randomise = new TRandomise(this);
    if (services_.showModal(*Randomise) != QDialog::Accepted || Randomise->parts() == 0)
        return;
    services_.randomise(Randomise->amount(), Randomise->parts(), std::random_device{}());
}

void TMainForm::Blend1Click()
{
    if (Blend == nullptr)
        Blend = new TBlend(*context_.library, this);
    Blend->listLibrary();
    if (services_.showModal(*Blend) != QDialog::Accepted)
        return;
    QString problem;
    const std::optional<VoiceParameters> other = Blend->otherVoice(problem);
    if (!other) {
        QMessageBox message(QMessageBox::Warning, QStringLiteral("Blend with voice"), problem, QMessageBox::Ok, this);
        message.setObjectName(QStringLiteral("BlendError"));
        services_.showModal(message);
        return;
    }
    services_.blend(*other, Blend->mix());
}

void TMainForm::Getsoundfromsynth1Click()
{
    services_.getVoice();
    services_.refreshEditors();
}

TBankEdit& TMainForm::bankEdit()
{
    if (BankEdit == nullptr) {
        BankEdit = new TBankEdit(context_, services_, this);
        BankEdit->setLibraryChanged([this] { browser_->fillList(); });
    }
    showEditor(BankEdit);
    return *BankEdit;
}

TMultiEdit& TMainForm::multiEdit()
{
    if (MultiEdit == nullptr) {
        TMultiEdit::Host host;
        host.getMulti = [this](Multi& multi) -> std::string {
            if (context_.midiPort == nullptr)
                return "No MIDI system: the multi cannot be fetched.";
            const int channel = context_.settings->midiChannel;
            const VoiceRequest request = context_.midiPort->requestMulti(channel, multi);
            if (request)
                return {};
            if (request.outcome == VoiceRequest::Outcome::NotSent)
                return "The multi request could not be sent: " + request.error;
            if (!request.error.empty())
                return "The multi that came is damaged: " + request.error;
            return "No multi came from the instrument (a TG-33 on device " + std::to_string(channel + 1) + "?).";
        };
        host.sendMulti = [this](const Multi& multi) -> std::string {
            if (context_.midiPort == nullptr)
                return "No MIDI output is open.";
            if (context_.midiPort->sendMulti(multi, context_.settings->midiChannel))
                return {};
            return context_.midiPort->sendError();
        };
        // Internal voices are named where the bank window holds a bank.
        host.voiceName = [this](int bank, int voice) -> std::string {
            if (bank != 0 || BankEdit == nullptr || !BankEdit->bank().holds(voice))
                return {};
            return BankEdit->bank().name(voice);
        };
        host.showHelp = [this] { services_.showHelp(HelpWindow::kMultiContext); };
        MultiEdit = new TMultiEdit(std::move(host), this);
    }
    showEditor(MultiEdit);
    MultiEdit->updateDisplay();
    return *MultiEdit;
}

void TMainForm::Multi1Click()
{
    multiEdit();
}

void TMainForm::MorphPad1Click()
{
    if (MorphPad == nullptr)
        MorphPad = new TMorphPad(context_, services_, this);
    showEditor(MorphPad);
}

void TMainForm::Controllers1Click()
{
    if (Controllers == nullptr)
        Controllers = new TControllers(services_.controllers(), this);
    Controllers->fill();
    services_.showModal(*Controllers);
}

void TMainForm::Explore1Click()
{
    if (Explore == nullptr)
        Explore = new TExplore(context_, services_, this);
    showEditor(Explore);
}

void TMainForm::BankWindow1Click()
{
    bankEdit();
}

void TMainForm::GetBank1Click()
{
    bankEdit().GetBankClick();
}

void TMainForm::ReceiveBank1Click()
{
    bankEdit().ReceiveBankClick();
}

void TMainForm::SendBank1Click()
{
    bankEdit().SendBankClick();
}

void TMainForm::Pacesends1Click()
{
    services_.setWireRate(Pacesends1->isChecked() ? Settings::kCableRate : Settings::kSendAtOnce);
}

void TMainForm::PlayTestNote1Click()
{
    services_.startTestNote();
    services_.releaseTestNote();
}

void TMainForm::TestNoteOptions1Click()
{
    if (TestNote == nullptr)
        TestNote = new TTestNote(this);
    Settings& settings = *context_.settings;
    TestNote->setValues(settings.testNoteKey, settings.testNoteVelocity, settings.testNoteLength);
    if (services_.showModal(*TestNote) != QDialog::Accepted)
        return;
    settings.testNoteKey = TestNote->key();
    settings.testNoteVelocity = TestNote->velocity();
    settings.testNoteLength = TestNote->lengthMs();
}

void TMainForm::SelectMIDIdevices1Click()
{
    services_.showModal(*context_.SetDevices);
}

void TMainForm::Contents1Click()
{
    services_.showContents();
}

void TMainForm::About2Click()
{
    services_.showModal(*context_.AboutMorvane);
}

void TMainForm::bAutoSendClick()
{
    context_.settings->autoSend = true;
}

void TMainForm::bNoAutoSendClick()
{
    context_.settings->autoSend = false;
}

} // namespace morvane
