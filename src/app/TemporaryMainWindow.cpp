#include "TemporaryMainWindow.h"

#include "AboutMorvane.h"
#include "AppContext.h"
#include "Artwork.h"
#include "ModalHost.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPalette>
#include <QVBoxLayout>

namespace morvane {

TemporaryMainWindow::TemporaryMainWindow(AppContext& context)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , context_(context)
{
    setWindowTitle(QStringLiteral("Morvane"));

    auto* menuBar = new QMenuBar(this);
    QMenu* file = menuBar->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_X), this, &QWidget::close);
    QMenu* help = menuBar->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About"), this, [this] {
        if (context_.AboutMorvane)
            context_.modal->showModal(*context_.AboutMorvane);
    });

    auto* body = new QWidget(this);
    body->setFixedSize(317, 409);
    QPalette face = body->palette();
    face.setColor(QPalette::Window, Qt::black);
    face.setColor(QPalette::WindowText, Qt::yellow);
    body->setPalette(face);
    body->setAutoFillBackground(true);
    auto* strip = new QLabel(body);
    strip->setPixmap(artwork::stripPicture());
    strip->setGeometry(0, (409 - artwork::kPictureSize.height()) / 2, artwork::kPictureSize.width(),
                       artwork::kPictureSize.height());
    artwork::makeVersionLabel(body)->setGeometry(0, 382, artwork::kStripWidth, 13);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setMenuBar(menuBar);
    column->addWidget(body);
    column->setSizeConstraint(QLayout::SetFixedSize);
}

void TemporaryMainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    QCoreApplication::quit();
}

} // namespace morvane
