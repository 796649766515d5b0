#pragma once

#include <QWidget>

namespace kordan {

class ZusiAxis;

// The lever's 0-255 range as a bar: the axis's zones as bands, the live lever position as
// a marker, the band under it highlighted, so limits can be set by moving the lever.
class ZoneBar : public QWidget {
    Q_OBJECT
public:
    explicit ZoneBar(const ZusiAxis& axis, QWidget* parent = nullptr);

    void setValue(int value);
    int value() const { return m_value; }
    QSize sizeHint() const override { return {400, 36}; }
    QSize minimumSizeHint() const override { return {160, 28}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ZusiAxis& m_axis;
    int m_value = 0;
};

} // namespace kordan
