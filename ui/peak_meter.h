#pragma once

#include <QColor>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class CMixerFader;

// A ten-segment bar meter. Once attached to a level it reads it every 50 ms
// and repaints only when the number of lit segments changes, so many meters
// cost little. A meter attached with a fader is the input meter with ALC:
// while the level lights the top two segments, each reading lowers that
// fader one step.
class CPeakMeter : public QWidget {
    Q_OBJECT

public:
    explicit CPeakMeter(const QColor& background, QWidget* parent = nullptr);

    // Shows level (0 to 32768) from now on; fader may be null.
    void Attach(std::function<int()> level, CMixerFader* fader);
    // One reading of the level: the ALC step, and a repaint when the bar
    // count changed. The meter's timer calls it.
    void Refresh();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor background_;
    std::function<int()> level_;
    QPointer<CMixerFader> fader_;
    QTimer timer_;
    int bars_ = 0;
};
