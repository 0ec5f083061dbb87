#pragma once

#include <QSlider>

namespace umbrascope {

// A stereo position from full left (-1) to full right (+1) as a horizontal slider in steps of a
// thousandth, so that every pan below 0.05 either way stays "Center". Screen readers get the
// pan's text as its value ("5% Left"). Main thread only.
class PanSlider final : public QSlider {
    Q_OBJECT
public:
    static constexpr int stepsPerUnit = 1000;

    explicit PanSlider(QWidget* parent = nullptr);

    float pan() const;
    // Shows the pan without reporting it.
    void setPan(float pan);
    QString valueText() const;

signals:
    // The user moved the slider (by mouse, keys or a screen reader).
    void panMoved(float pan);
};

} // namespace umbrascope
