// "Find instrument": says what the search will do, runs it with its progress
// (output k of n) and a Cancel that works at any time, and says how it
// ended. The window keeps painting throughout: the search runs on a thread
// of its own (InstrumentSearch). What was found is handed to whoever
// listens to `found`; this window changes no setting.
#pragma once

#include "InstrumentSearch.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

namespace morvane {

class TFindInstrument : public QDialog {
    Q_OBJECT

public:
    explicit TFindInstrument(QWidget* parent = nullptr);
    ~TFindInstrument() override;

    // Gets the window ready for a search over these ports: it shows what
    // will be done and waits for "Start".
    // An SY answer is named `syModel` (SY-22 or SY-35, as chosen): the two
    // answer alike.
    void prepare(InstrumentSearch::BackendFactory factory, std::vector<std::string> inputs,
                 std::vector<std::string> outputs, QString syModel);
    // Ends a search that runs (it reports Cancelled, unless it found
    // something meanwhile).
    void cancelSearch();
    bool searching() const { return search_ != nullptr && running_; }
    // For tests that cannot afford the full wait per output.
    void setReplyWait(std::chrono::milliseconds wait) { replyWait_ = wait; }

    // The words for an outcome; `model` names an SY answer (SY-22 or SY-35).
    static QString describe(const SearchResult& result, const QString& model);
    // What was found, in short: "TG-33 on <output>, device 6".
    static QString headline(const SearchResult& result, const QString& model);

    QLabel* lblExplain;
    QProgressBar* pbProgress;
    QLabel* lblProgress;
    QLabel* lblResult;
    QPushButton* bStart;
    QPushButton* bCancel;

signals:
    // The search found an instrument (emitted before the result is shown).
    void found(const morvane::SearchResult& result);
    // A search began or ended (found, nothing, cancelled).
    void started();
    void finished(const morvane::SearchResult& result);

protected:
    void reject() override;

private:
    void start();
    void cancelOrClose();
    void showProgress(int index, int count, const QString& output);
    void searchDone(const SearchResult& result);

    InstrumentSearch::BackendFactory factory_;
    std::vector<std::string> inputs_;
    std::vector<std::string> outputs_;
    std::unique_ptr<InstrumentSearch> search_;
    QString syModel_;
    std::chrono::milliseconds replyWait_ = InstrumentSearch::kReplyWait;
    bool running_ = false;
};

} // namespace morvane
