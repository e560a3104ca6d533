#include "CSpeedPlot.h"

#include "CardLayout.h"
#include "Texts.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <tuple>

namespace {

// Room for the axis labels.
constexpr int kLeft = 48;
constexpr int kBottom = 22;
constexpr int kTop = 8;
constexpr int kRight = 12;

const QColor kWriteColour(200, 60, 40);
const QColor kReadColour(40, 90, 200);
const QColor kPlayerColour(40, 150, 40);

QString Text(int id) { return QString::fromStdString(LoadText(id)); }

} // namespace

CSpeedPlot::CSpeedPlot(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(320, 160);
}

void CSpeedPlot::SetSeries(std::vector<SpeedSample> write, std::vector<SpeedSample> read, std::uint32_t clusters)
{
    write_ = std::move(write);
    read_ = std::move(read);
    clusters_ = clusters;
    update();
}

double CSpeedPlot::Top() const
{
    double top = kPlayerMBps;
    for (const auto* series : {&write_, &read_}) {
        for (const SpeedSample& s : *series)
            top = std::max(top, s.mbPerSecond);
    }
    // A round figure above the fastest sample: 5, 10, 20, 50, 100...
    const double factors[] = {2, 2, 2.5};
    double step = 5;
    for (int k = 0; step < top * 1.05; ++k)
        step *= factors[k % 3];
    return step;
}

void CSpeedPlot::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    const QRect area(kLeft, kTop, width() - kLeft - kRight, height() - kTop - kBottom);
    if (area.width() < 10 || area.height() < 10)
        return;
    const double top = Top();
    const double last = clusters_ > 0 ? static_cast<double>(clusters_) : 1.0;
    const auto x = [&](std::uint32_t cluster) { return area.left() + area.width() * (cluster / last); };
    const auto y = [&](double mbps) { return area.bottom() - area.height() * std::min(mbps, top) / top; };

    // Axes with their labels: MB/s on the left, the card's position in MB
    // along the bottom.
    p.setPen(palette().text().color());
    p.drawRect(area);
    const QFontMetrics metrics(font());
    for (int i = 0; i <= 4; ++i) {
        const double mbps = top * i / 4;
        const int at = static_cast<int>(y(mbps));
        p.drawLine(area.left() - 4, at, area.left(), at);
        p.drawText(QRect(0, at - metrics.height() / 2, kLeft - 6, metrics.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(mbps, 'g', 3));
    }
    p.drawText(QRect(area.left() + 4, area.top() + 2, 80, metrics.height()), Qt::AlignLeft, Text(kIdsPlotAxis));
    const unsigned long long megabytes =
        static_cast<unsigned long long>(clusters_) * static_cast<unsigned long long>(kClusterSize) / 1048576u;
    p.drawText(QRect(area.left(), area.bottom() + 2, area.width(), kBottom - 2), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(FormatText(kIdsPlotPosition, 0ULL)));
    p.drawText(QRect(area.left(), area.bottom() + 2, area.width(), kBottom - 2), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromStdString(FormatText(kIdsPlotPosition, megabytes)));

    // The speed the player needs.
    QPen player(kPlayerColour, 1, Qt::DashLine);
    p.setPen(player);
    const double playerY = y(kPlayerMBps);
    p.drawLine(QPointF(area.left(), playerY), QPointF(area.right(), playerY));
    p.drawText(QRectF(area.left() + 4, playerY - metrics.height() - 1, area.width() - 8, metrics.height()),
               Qt::AlignRight, QString::fromStdString(FormatText(kIdsPlotPlayer, kPlayerMBps)));

    // Each series as steps: a sample holds from its cluster to the next.
    int legend = 0;
    for (const auto& [series, colour, name] : {std::tuple{&write_, kWriteColour, kIdsPlotWrite},
                                               std::tuple{&read_, kReadColour, kIdsPlotRead}}) {
        p.setPen(QPen(colour, 1.5));
        if (!series->empty()) {
            QPainterPath path;
            for (std::size_t i = 0; i < series->size(); ++i) {
                const SpeedSample& s = (*series)[i];
                const std::uint32_t end = i + 1 < series->size() ? (*series)[i + 1].firstCluster : clusters_;
                const QPointF from(x(s.firstCluster), y(s.mbPerSecond));
                if (i == 0)
                    path.moveTo(from);
                else
                    path.lineTo(from);
                path.lineTo(QPointF(x(end), y(s.mbPerSecond)));
            }
            p.drawPath(path);
        }
        const int lx = area.left() + 70 + legend * 90;
        p.drawLine(lx, area.top() + metrics.height() / 2 + 2, lx + 16, area.top() + metrics.height() / 2 + 2);
        p.drawText(QRect(lx + 20, area.top() + 2, 70, metrics.height()), Qt::AlignLeft, Text(name));
        ++legend;
    }
}
