#include "MorphPad.h"

#include "AppContext.h"
#include "AppServices.h"
#include "ControllerLink.h"
#include "EditorStyle.h"
#include "LibraryBrowser.h"
#include "Settings.h"
#include "TMainForm.h"
#include "VoiceData.h"
#include "VoiceFile.h"
#include "VoiceLibrary.h"
#include "VoiceTransforms.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace morvane {

namespace {

constexpr const char* kCornerLetters = "ABCD";
// The places a controller learned on the square moves.
constexpr const char* kAcross = "morphPad.x";
constexpr const char* kUp = "morphPad.y";
// Where each corner sits in the square, in the square's own units.
constexpr QPointF kCornerPoints[TMorphPad::kCorners] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};

QString voiceName(const VoiceParameters& voice)
{
    return QString::fromLatin1(voice.common.name, sizeof voice.common.name).trimmed();
}

} // namespace

MorphSquare::MorphSquare(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setToolTip(QStringLiteral("Drag the point, or move it with the arrow keys (Shift: in larger steps)"));
}

void MorphSquare::setPoint(QPointF point)
{
    point = {std::clamp(point.x(), 0.0, 1.0), std::clamp(point.y(), 0.0, 1.0)};
    if (point == point_)
        return;
    point_ = point;
    update();
    emit pointMoved(point_);
}

QRectF MorphSquare::square() const
{
    constexpr double kMargin = 14;
    const double side = std::max(1.0, std::min(width(), height()) - 2 * kMargin);
    return {(width() - side) / 2, (height() - side) / 2, side, side};
}

QPointF MorphSquare::pointAt(QPointF position) const
{
    const QRectF s = square();
    return {(position.x() - s.left()) / s.width(), (s.bottom() - position.y()) / s.height()};
}

void MorphSquare::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF s = square();
    painter.fillRect(s, style::kPathGround);
    painter.setPen(style::kPathGrid);
    for (int i = 1; i < 4; ++i) {
        const double x = s.left() + s.width() * i / 4, y = s.top() + s.height() * i / 4;
        painter.drawLine(QPointF(x, s.top()), QPointF(x, s.bottom()));
        painter.drawLine(QPointF(s.left(), y), QPointF(s.right(), y));
    }
    painter.setPen(style::kPathLine);
    painter.drawRect(s);
    painter.setPen(style::kLabel);
    for (int i = 0; i < TMorphPad::kCorners; ++i) {
        const QPointF at(s.left() + kCornerPoints[i].x() * s.width(), s.bottom() - kCornerPoints[i].y() * s.height());
        const QRectF box(at.x() - 7, at.y() - 7, 14, 14);
        painter.drawText(box.translated(kCornerPoints[i].x() > 0 ? 7 : -7, kCornerPoints[i].y() > 0 ? -7 : 7),
                         Qt::AlignCenter, QString(QLatin1Char(kCornerLetters[i])));
    }
    const QPointF at(s.left() + point_.x() * s.width(), s.bottom() - point_.y() * s.height());
    painter.setPen(QPen(style::kPathLine, 2));
    painter.setBrush(style::kPathSelected);
    painter.drawEllipse(at, 6, 6);
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(style::kPathSelected, 1, Qt::DotLine));
        painter.drawRect(s.adjusted(-3, -3, 3, 3));
    }
}

void MorphSquare::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        setPoint(pointAt(event->position()));
}

void MorphSquare::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        setPoint(pointAt(event->position()));
}

void MorphSquare::keyPressEvent(QKeyEvent* event)
{
    const double step = event->modifiers() & Qt::ShiftModifier ? 0.1 : 0.01;
    // Whole steps, so that a point moved by keys lands on them exactly.
    const auto moved = [step](double value, int by) { return std::round(value / step + by) * step; };
    switch (event->key()) {
    case Qt::Key_Left: setPoint({moved(point_.x(), -1), point_.y()}); break;
    case Qt::Key_Right: setPoint({moved(point_.x(), 1), point_.y()}); break;
    case Qt::Key_Down: setPoint({point_.x(), moved(point_.y(), -1)}); break;
    case Qt::Key_Up: setPoint({point_.x(), moved(point_.y(), 1)}); break;
    default: QWidget::keyPressEvent(event); return;
    }
}

TMorphPad::TMorphPad(AppContext& context, AppServices& services, QWidget* parent)
    : QDialog(parent), context_(context), services_(services)
{
    setObjectName(QStringLiteral("MorphPad"));
    setWindowTitle(QStringLiteral("Morph pad"));
    setStyleSheet(style::dialogStyleSheet());

    square_ = new MorphSquare(this);
    square_->setObjectName(QStringLiteral("pad"));
    connect(square_, &MorphSquare::pointMoved, this, [this] { pointMoved(); });
    controllers_ = &services_.controllers();
    controllers_->setTarget(kAcross, [this](double x) { square_->setPoint({x, square_->point().y()}); });
    controllers_->setTarget(kUp, [this](double y) { square_->setPoint({square_->point().x(), y}); });
    square_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(square_, &QWidget::customContextMenuRequested, this, &TMorphPad::offerControllerMenu);

    auto* grid = new QGridLayout;
    for (int i = 0; i < kCorners; ++i) {
        const QChar letter = QLatin1Char(kCornerLetters[i]);
        auto* name = new QLabel(QStringLiteral("%1: (empty)").arg(letter), this);
        name->setObjectName(QStringLiteral("lCorner%1").arg(letter));
        names_[static_cast<std::size_t>(i)] = name;
        struct Button {
            const char* caption;
            const char* name;
            const char* tip;
            void (TMorphPad::*fill)(int);
        } const buttons[] = {
            {"Current", "bCurrent", "The voice in the editors", &TMorphPad::cornerFromCurrent},
            {"File...", "bFile", "A voice file", &TMorphPad::cornerFromFile},
            {"Library", "bLibrary", "The voice selected in the library list", &TMorphPad::cornerFromLibrary},
        };
        auto* row = new QHBoxLayout;
        for (const Button& b : buttons) {
            auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
            button->setObjectName(QString::fromLatin1(b.name) + letter);
            button->setToolTip(QStringLiteral("Corner %1: %2").arg(letter, QString::fromLatin1(b.tip)));
            button->setAutoDefault(false);
            connect(button, &QPushButton::clicked, this, [this, i, fill = b.fill] { (this->*fill)(i); });
            row->addWidget(button);
        }
        auto* box = new QVBoxLayout;
        box->addWidget(name);
        box->addLayout(row);
        // C and D above the square, A and B below it, as they lie on it.
        grid->addLayout(box, kCornerPoints[i].y() > 0 ? 0 : 2, kCornerPoints[i].x() > 0 ? 1 : 0,
                        kCornerPoints[i].x() > 0 ? Qt::AlignRight : Qt::AlignLeft);
    }
    grid->addWidget(square_, 1, 0, 1, 2);

    lPoint = new QLabel(this);
    lPoint->setObjectName(QStringLiteral("lPoint"));
    auto* play = new QPushButton(QStringLiteral("&Play"), this);
    play->setObjectName(QStringLiteral("bPlay"));
    play->setAutoDefault(false);
    connect(play, &QPushButton::pressed, this, [this] { services_.startTestNote(); });
    connect(play, &QPushButton::released, this, [this] { services_.releaseTestNote(); });
    bKeep = new QPushButton(QStringLiteral("&Keep"), this);
    bKeep->setObjectName(QStringLiteral("bKeep"));
    bKeep->setToolTip(QStringLiteral("Make the point's voice the edited voice (one undo step)"));
    bKeep->setAutoDefault(false);
    connect(bKeep, &QPushButton::clicked, this, &TMorphPad::KeepClick);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("bClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* foot = new QHBoxLayout;
    foot->addWidget(lPoint, 1);
    foot->addWidget(play);
    foot->addWidget(bKeep);
    foot->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(foot);
    showPoint();
}

TMorphPad::~TMorphPad()
{
    if (controllers_) {
        controllers_->setTarget(kAcross, {});
        controllers_->setTarget(kUp, {});
    }
}

void TMorphPad::offerControllerMenu(const QPoint& at)
{
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("PadMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    struct Direction {
        const char* path;
        const char* words;
        const char* name;
    } const directions[] = {{kAcross, "across (A to B)", "Across"}, {kUp, "up (A to C)", "Up"}};
    for (const Direction& d : directions) {
        const std::string path = d.path;
        QAction* learn = menu->addAction(QStringLiteral("Learn controller for %1").arg(QString::fromLatin1(d.words)));
        learn->setObjectName(QStringLiteral("LearnController") + QString::fromLatin1(d.name));
        connect(learn, &QAction::triggered, this, [this, path] { services_.learnController(path); });
        const std::string bound = services_.controllerOf(path);
        QAction* forget = menu->addAction(bound.empty() ? QStringLiteral("Forget controller for %1").arg(QString::fromLatin1(d.words))
                                                        : QStringLiteral("Forget controller for %1 (%2)")
                                                              .arg(QString::fromLatin1(d.words), QString::fromStdString(bound)));
        forget->setObjectName(QStringLiteral("ForgetController") + QString::fromLatin1(d.name));
        forget->setEnabled(!bound.empty());
        connect(forget, &QAction::triggered, this, [this, path] { services_.forgetController(path); });
    }
    menu->popup(square_->mapToGlobal(at));
}

void TMorphPad::setCorner(int corner, const VoiceParameters& voice, const QString& from)
{
    corners_[static_cast<std::size_t>(corner)] = voice;
    names_[static_cast<std::size_t>(corner)]->setText(
        QStringLiteral("%1: %2 (%3)").arg(QString(QLatin1Char(kCornerLetters[corner])), voiceName(voice), from));
    pointMoved();
}

void TMorphPad::cornerFromCurrent(int corner)
{
    setCorner(corner, services_.voice(), QStringLiteral("current"));
}

void TMorphPad::cornerFromFile(int corner)
{
    const QString& folder = context_.settings->lastFolder;
    QFileDialog dialog(this, QStringLiteral("Voice for corner %1").arg(QLatin1Char(kCornerLetters[corner])),
                       !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString(),
                       QStringLiteral("System Exclusive files (*.SYX *.syx)"));
    dialog.setObjectName(QStringLiteral("CornerFile"));
    dialog.setOptions(QFileDialog::ReadOnly | QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (services_.showModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const std::string path = dialog.selectedFiles().first().toStdString();
    VoiceParameters voice;
    VoiceData data(voice);
    if (const VoiceFileResult read = readVoiceFile(path, data); read != VoiceFileResult::Loaded) {
        problem(QString::fromStdString(path + ": " + describe(read)));
        return;
    }
    setCorner(corner, voice, QFileInfo(QString::fromStdString(path)).fileName());
}

void TMorphPad::cornerFromLibrary(int corner)
{
    const int record = context_.MainForm != nullptr ? context_.MainForm->browser().currentRecord() : -1;
    if (record < 0) {
        problem(QStringLiteral("Select a voice in the library list first."));
        return;
    }
    VoiceParameters voice;
    VoiceData data(voice);
    if (const LibraryResult loaded = context_.library->loadRecord(record, data); !loaded) {
        problem(QString::fromStdString(loaded.error()));
        return;
    }
    setCorner(corner, voice, QStringLiteral("library %1").arg(record));
}

std::optional<VoiceParameters> TMorphPad::voiceAtPoint() const
{
    for (const auto& c : corners_)
        if (!c)
            return std::nullopt;
    const QPointF p = square_->point();
    return morphVoices(*corners_[0], *corners_[1], *corners_[2], *corners_[3], p.x(), p.y());
}

void TMorphPad::pointMoved()
{
    showPoint();
    if (const std::optional<VoiceParameters> voice = voiceAtPoint()) {
        services_.auditionVoice(*voice);
        auditioned_ = true;
    }
}

void TMorphPad::showPoint()
{
    const QPointF p = square_->point();
    const std::optional<VoiceParameters> voice = voiceAtPoint();
    lPoint->setText(voice ? QStringLiteral("x %1  y %2: %3").arg(p.x(), 0, 'f', 2).arg(p.y(), 0, 'f', 2).arg(voiceName(*voice))
                          : QStringLiteral("Fill the four corners"));
    bKeep->setEnabled(voice.has_value());
}

void TMorphPad::KeepClick()
{
    if (const std::optional<VoiceParameters> voice = voiceAtPoint()) {
        services_.takeVoice(*voice, "Morph");
        auditioned_ = false;
    }
}

void TMorphPad::reject()
{
    // The instrument goes back to the voice in the editors.
    if (auditioned_)
        services_.sendVoice();
    auditioned_ = false;
    QDialog::reject();
}

void TMorphPad::problem(const QString& text)
{
    QMessageBox message(QMessageBox::Warning, QStringLiteral("Morph pad"), text, QMessageBox::Ok, this);
    message.setObjectName(QStringLiteral("MorphPadError"));
    services_.showModal(message);
}

} // namespace morvane
