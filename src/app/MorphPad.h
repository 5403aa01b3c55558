// The morph pad: four voices on the corners of a square, and a point moved
// inside it by the mouse or the arrow keys. Every move makes the voice at the
// point (morphVoices) and sends it to the instrument through the paced send
// path, so the cable carries only the newest; "Keep" makes it the edited
// voice as one undo step. Closing the pad without keeping sends the edited
// voice back.
#pragma once

#include "VoiceParameters.h"

#include <QPointF>
#include <QPointer>
#include <QDialog>
#include <QWidget>

#include <array>
#include <optional>

class QLabel;
class QPushButton;

namespace morvane {

struct AppContext;
class AppServices;
class ControllerLink;

// The square itself: paints the corners and the point, and moves the point
// by mouse (press or drag) and by the arrow keys (1 % a press, 10 % with
// Shift). x runs from A on the left to B on the right, y from A at the
// bottom to C at the top.
class MorphSquare : public QWidget {
    Q_OBJECT
public:
    explicit MorphSquare(QWidget* parent = nullptr);
    QPointF point() const { return point_; }
    // Moves the point (kept in the square) and says so when it moved.
    void setPoint(QPointF point);
    QSize sizeHint() const override { return {240, 240}; }
    QSize minimumSizeHint() const override { return {120, 120}; }

signals:
    void pointMoved(QPointF point);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointF point_{0, 0};
    QRectF square() const;
    QPointF pointAt(QPointF position) const;
};

class TMorphPad : public QDialog {
    Q_OBJECT
public:
    TMorphPad(AppContext& context, AppServices& services, QWidget* parent = nullptr);

    // The corners: 0 A (0,0), 1 B (1,0), 2 C (0,1), 3 D (1,1).
    static constexpr int kCorners = 4;
    void setCorner(int corner, const VoiceParameters& voice, const QString& from);
    const std::optional<VoiceParameters>& corner(int corner) const { return corners_[static_cast<std::size_t>(corner)]; }
    ~TMorphPad() override;

    // Fills a corner from the current voice, a voice file (a file dialog
    // asks which) or the voice selected in the library list; a file or
    // record that holds no voice is said and the corner stays as it was.
    void cornerFromCurrent(int corner);
    void cornerFromFile(int corner);
    void cornerFromLibrary(int corner);

    // The voice at the point, once all four corners hold a voice.
    std::optional<VoiceParameters> voiceAtPoint() const;
    MorphSquare* square() const { return square_; }
    void KeepClick();

    // Closing (also by Escape) sends the edited voice back to the
    // instrument when another was heard since.
    void reject() override;

private:
    AppContext& context_;
    AppServices& services_;
    std::array<std::optional<VoiceParameters>, kCorners> corners_;
    // The controller input, whose learned knobs move the point.
    QPointer<ControllerLink> controllers_;
    std::array<QLabel*, kCorners> names_{};
    MorphSquare* square_;
    QLabel* lPoint;
    QPushButton* bKeep;
    // A point's voice went to the instrument and was not kept since.
    bool auditioned_ = false;

    void pointMoved();
    void showPoint();
    // The square's context menu: a knob for each direction, learned or
    // forgotten as for an editor control.
    void offerControllerMenu(const QPoint& at);
    void problem(const QString& text);
};

} // namespace morvane
