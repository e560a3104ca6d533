// The speed across the card after a full card test: the write and the read
// speed of each stretch (ThinSeries samples) over the card position, the
// vertical axis in MB/s, and the line of the speed the player needs.
#pragma once
#include "CardScan.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class CSpeedPlot : public QWidget {
    Q_OBJECT

public:
    explicit CSpeedPlot(QWidget* parent = nullptr);

    // The samples to draw; `clusters` is the length of the card's position
    // axis.
    void SetSeries(std::vector<SpeedSample> write, std::vector<SpeedSample> read, std::uint32_t clusters);
    const std::vector<SpeedSample>& WriteSeries() const { return write_; }
    const std::vector<SpeedSample>& ReadSeries() const { return read_; }
    // The top of the speed axis, in MB/s.
    double Top() const;

    QSize sizeHint() const override { return QSize(520, 200); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<SpeedSample> write_;
    std::vector<SpeedSample> read_;
    std::uint32_t clusters_ = 0;
};
