// The main window: the menus that reach every function, the auto-send
// switch, and the " Database " box in which the voice library is browsed.
// Closing it ends the program.
#pragma once

#include "SendPacer.h"

#include <QWidget>

#include <string>

class QAction;
class QLabel;
class QMenuBar;
class QToolButton;

namespace morvane {

struct AppContext;
class AppServices;
class LibraryBrowser;
class TBankEdit;
class TBlend;
class TMultiEdit;
class TMorphPad;
class TExplore;
class TControllers;
class TRandomise;
class TTestNote;

class TMainForm : public QWidget {
    Q_OBJECT
public:
    // Lists the library and, when it holds a voice, makes its first voice
    // current without sending it.
    TMainForm(AppContext& context, AppServices& services, QWidget* parent = nullptr);

    LibraryBrowser& browser() { return *browser_; }

    // The editors' menu items are enabled for the editors the program has
    // (each made the first time it is shown) once they are known.
    void editorsCreated();
    // An editor window joined: the file shortcuts work in it too.
    void editorAdded(QWidget& editor);

    // The foot of the window: whether the instrument's input and output are
    // connected (the port names in the tool tip), and why the last message
    // (a voice, a multi, a bank ...) could not be sent, until one goes again.
    void showLinkState();
    void showSendResult(const std::string& error, SendPacer::Carries what = SendPacer::Carries::Voice);
    // A line of news below them (what start-up did, which library is used);
    // an empty text clears them all.
    void addNotice(const QString& text);
    QLabel* LinkState;
    QLabel* SendState;
    QLabel* Notice;
    // The title names the voice in the editors and marks it when it was
    // edited since it was loaded or saved.
    void showVoiceState(bool edited);

    // The menu handlers, by the names the rest of the program uses.
    // Loads a voice file as "Load voice" does, from "Open recent", a drop
    // or the command line.
    void openFile(const QString& path);
    void Open1Click();
    void Save1Click();
    void ImportVoicesClick();
    void Exit1Click();
    void Undo1Click();
    void Redo1Click();
    // What undo and redo would take back or again (empty: nothing).
    void showHistory(const QString& undoName, const QString& redoName);
    void Compare1Click();
    // Checks or clears "Compare with loaded voice".
    void showComparing(bool on);
    void Randomise1Click();
    void Blend1Click();
    void MorphPad1Click();
    void Explore1Click();
    void Controllers1Click();
    void Getsoundfromsynth1Click();
    // The bank window, made on first use, and its transfers from the MIDI menu.
    TBankEdit& bankEdit();
    void BankWindow1Click();
    // The TG-33 multi editor, made on first use.
    TMultiEdit& multiEdit();
    void Multi1Click();
    void GetBank1Click();
    void ReceiveBank1Click();
    void SendBank1Click();
    void SelectMIDIdevices1Click();
    void Pacesends1Click();
    void PlayTestNote1Click();
    void TestNoteOptions1Click();
    void Contents1Click();
    void About2Click();
    void bAutoSendClick();
    void bNoAutoSendClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // One voice file dropped on the window is loaded as "Load voice" does.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void buildStartActionMenu();
    void listRecentFiles();
    QString startFolder() const;
    void hideEditors();
    static void showEditor(QWidget* editor);

    AppContext& context_;
    AppServices& services_;
    QMenuBar* MainMenu1;
    QLabel* Image1;
    QLabel* Label13;
    QLabel* Label1;
    QToolButton* bAutoSend;
    QToolButton* bNoAutoSend;
    LibraryBrowser* browser_;
    QAction* ModifyVoice = nullptr;
    QAction* Pacesends1 = nullptr;   // checked: sends keep to the MIDI cable's pace
    TRandomise* Randomise = nullptr;
    TBlend* Blend = nullptr;
    TMorphPad* MorphPad = nullptr;
    TExplore* Explore = nullptr;
    TControllers* Controllers = nullptr;
    TTestNote* TestNote = nullptr;
    TBankEdit* BankEdit = nullptr;
    TMultiEdit* MultiEdit = nullptr;
    bool exiting_ = false;
    QSize startSize_;
};

} // namespace morvane
