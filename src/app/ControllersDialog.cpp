#include "ControllersDialog.h"

#include "ControllerLink.h"
#include "EditorStyle.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace morvane {

TControllers::TControllers(ControllerLink& link, QWidget* parent) : QDialog(parent), link_(link)
{
    setObjectName(QStringLiteral("Controllers"));
    setWindowTitle(QStringLiteral("Controllers"));
    setStyleSheet(style::dialogStyleSheet());
    cbControllerInput = new QComboBox(this);
    cbControllerInput->setObjectName(QStringLiteral("cbControllerInput"));
    cbControllerInput->setToolTip(QStringLiteral("The MIDI input whose knobs move the editors' controls"));
    connect(cbControllerInput, &QComboBox::activated, this, &TControllers::chooseInput);
    lProblem = new QLabel(this);
    lProblem->setObjectName(QStringLiteral("lProblem"));
    lProblem->setWordWrap(true);
    lwBindings = new QListWidget(this);
    lwBindings->setObjectName(QStringLiteral("lwBindings"));
    auto* forget = new QPushButton(QStringLiteral("&Forget"), this);
    forget->setObjectName(QStringLiteral("bForget"));
    forget->setAutoDefault(false);
    connect(forget, &QPushButton::clicked, this, &TControllers::forgetSelected);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Controller input:"), cbControllerInput);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lProblem);
    layout->addWidget(new QLabel(QStringLiteral("Bound controllers (right-click a control in an editor to learn one):"), this));
    layout->addWidget(lwBindings);
    layout->addWidget(forget, 0, Qt::AlignLeft);
    layout->addWidget(buttons);
}

void TControllers::fill()
{
    cbControllerInput->clear();
    cbControllerInput->addItem(QStringLiteral("(none)"));
    cbControllerInput->addItems(link_.inputNames());
    const int open = link_.openName().isEmpty() ? 0 : cbControllerInput->findText(link_.openName());
    cbControllerInput->setCurrentIndex(std::max(open, 0));
    lwBindings->clear();
    for (const ControllerMap::Binding& b : link_.map().bindings()) {
        auto* item = new QListWidgetItem(QStringLiteral("%1: %2").arg(QString::fromStdString(b.id.text()),
                                                                      QString::fromStdString(b.path)),
                                         lwBindings);
        item->setData(Qt::UserRole, QString::fromStdString(b.path));
    }
}

void TControllers::chooseInput(int index)
{
    QString problem;
    const bool opened = link_.open(index <= 0 ? QString() : cbControllerInput->itemText(index), problem);
    lProblem->setText(opened ? QString() : problem);
}

void TControllers::forgetSelected()
{
    if (QListWidgetItem* item = lwBindings->currentItem()) {
        link_.forget(item->data(Qt::UserRole).toString().toStdString());
        fill();
    }
}

} // namespace morvane
