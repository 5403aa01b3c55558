// The program's own help: HTML pages with a contents page and one page for
// each editor's help context.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace morvane {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void showContents();
    // 1 AWM elements, 4 FM elements, 9 vectors, 10 voice common; an unknown
    // context opens the contents.
    void showContext(int context);
    // The multi editor's context.
    static constexpr int kMultiContext = 20;

    // The page a context opens, for tests.
    static QUrl pageOf(int context);
    QUrl currentPage() const;

private:
    void open(const QUrl& page);

    QTextBrowser* browser_;
};

} // namespace morvane
