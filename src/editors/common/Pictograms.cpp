#include "Pictograms.h"

#include "EditorStyle.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace morvane {

QPixmap drawPictogram(const Pictogram& pictogram)
{
    // Drawn on the panel's own ground with a faint base line, as a scale
    // beside its bar: nothing about them looks like a button to press.
    QPixmap pixmap(kPictogramWidth, kPictogramHeight);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(style::kPictogramFrame);
    painter.drawLine(2, kPictogramHeight - 1, kPictogramWidth - 3, kPictogramHeight - 1);
    painter.setPen(QPen(style::kPictogramLine, 1));
    for (int i = 1; i < pictogram.count; ++i) {
        const auto& a = pictogram.points[static_cast<std::size_t>(i - 1)];
        const auto& b = pictogram.points[static_cast<std::size_t>(i)];
        painter.drawLine(a[0], a[1], b[0], b[1]);
    }
    return pixmap;
}

QWidget* pictogramStrip(const Pictogram* pictures, std::size_t count, Qt::Orientation orientation, QWidget* parent)
{
    auto* strip = new QWidget(parent);
    auto* layout = new QBoxLayout(orientation == Qt::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight,
                                  strip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && orientation == Qt::Horizontal)
            layout->addStretch();
        auto* picture = new QLabel(strip);
        picture->setPixmap(drawPictogram(pictures[i]));
        picture->setFixedSize(kPictogramWidth, kPictogramHeight);
        layout->addWidget(picture);
    }
    return strip;
}

} // namespace morvane
