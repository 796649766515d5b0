#include "dialogs/ZoneBar.h"

#include "axis/ZusiAxis.h"

#include <QPainter>

#include <algorithm>

namespace kordan {

ZoneBar::ZoneBar(const ZusiAxis& axis, QWidget* parent) : QWidget(parent), m_axis(axis) {
    setObjectName(QStringLiteral("barHebel"));
    setMinimumHeight(28);
}

void ZoneBar::setValue(int value) {
    value = std::clamp(value, 0, 255);
    if (value == m_value)
        return;
    m_value = value;
    update();
}

void ZoneBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
    const auto xOf = [&](double v) { return area.left() + area.width() * v / 256.0; };

    p.fillRect(area, palette().color(QPalette::Base));
    static const QColor kBands[] = {QColor(0x9e, 0xc5, 0xfe), QColor(0xa3, 0xcf, 0xbb)};
    const QColor kActive(0xff, 0xc1, 0x07);

    for (int i = 0; i < m_axis.ZoneCount(); ++i) {
        const ZusiZone& z = m_axis.Zone(i);
        // Limits outside 0-255 are drawn at the edge; a reversed zone covers nothing.
        const int start = std::clamp(z.Start, 0, 256);
        const int end = std::clamp(z.Ende, -1, 255);
        if (end < start)
            continue;
        const QRectF band(xOf(start), area.top(), xOf(end + 1) - xOf(start), area.height());
        const bool active = z.Start <= m_value && m_value <= z.Ende;
        p.fillRect(band, active ? kActive : kBands[i % 2]);
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(band);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(band, Qt::AlignCenter, QString::number(i));
    }

    const double x = xOf(m_value + 0.5);
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(area);
}

} // namespace kordan
