#include "HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <array>
#include <string_view>

// The pages are compiled into a static library; asking for them by name
// keeps the linker from leaving them out.
static void loadHelpPages()
{
    Q_INIT_RESOURCE(help);
}

namespace morvane {

namespace {

struct HelpContext {
    int context;
    std::string_view page;
};

constexpr std::string_view kContentsPage = "index.html";
constexpr std::array<HelpContext, 5> kContexts{{
    {1, "awm.html"},
    {4, "fm.html"},
    {9, "vectors.html"},
    {10, "common.html"},
    {HelpWindow::kMultiContext, "multi.html"},
}};

constexpr bool contextsAreDistinct()
{
    for (std::size_t i = 0; i < kContexts.size(); ++i)
        for (std::size_t j = i + 1; j < kContexts.size(); ++j)
            if (kContexts[i].context == kContexts[j].context)
                return false;
    return true;
}
static_assert(contextsAreDistinct());

QUrl pageUrl(std::string_view page)
{
    return QUrl(QStringLiteral("qrc:/help/") + QString::fromLatin1(page.data(), static_cast<int>(page.size())));
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this))
{
    loadHelpPages();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Morvane help"));
    browser_->setObjectName(QStringLiteral("browser"));
    browser_->setOpenExternalLinks(true);

    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    auto* close = new QPushButton(QStringLiteral("C&lose"), this);
    connect(contents, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    back->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
    resize(560, 520);
}

QUrl HelpWindow::pageOf(int context)
{
    for (const HelpContext& c : kContexts)
        if (c.context == context)
            return pageUrl(c.page);
    return pageUrl(kContentsPage);
}

void HelpWindow::showContents()
{
    open(pageUrl(kContentsPage));
}

void HelpWindow::showContext(int context)
{
    open(pageOf(context));
}

QUrl HelpWindow::currentPage() const
{
    return browser_->source();
}

void HelpWindow::open(const QUrl& page)
{
    browser_->setSource(page);
    show();
    raise();
    activateWindow();
}

} // namespace morvane
