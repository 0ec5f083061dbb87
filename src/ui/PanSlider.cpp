#include "ui/PanSlider.hpp"

#include <QSignalBlocker>
#include <cmath>

#include "app/DeviceSettingsText.hpp"

namespace umbrascope {

PanSlider::PanSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setRange(-stepsPerUnit, stepsPerUnit);
    setSingleStep(stepsPerUnit / 100);
    setPageStep(stepsPerUnit / 10);
    connect(this, &QSlider::valueChanged, this, [this] { emit panMoved(pan()); });
}

float PanSlider::pan() const {
    // In float, as the click player keeps it: -50 steps is exactly the pan -0.05f.
    return static_cast<float>(value()) / static_cast<float>(stepsPerUnit);
}

void PanSlider::setPan(float pan) {
    const float clamped = std::isnan(pan) ? 0.0f : std::fmax(-1.0f, std::fmin(1.0f, pan));
    const QSignalBlocker blocker(this);
    setValue(static_cast<int>(std::lround(clamped * static_cast<float>(stepsPerUnit))));
}

QString PanSlider::valueText() const {
    return QString::fromStdString(panLabel(pan()));
}

} // namespace umbrascope
