#include "CCheckCardDlg.h"

#include "CSpeedPlot.h"
#include "CardTestReport.h"
#include "Texts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Enough points for the plot's width.
constexpr std::size_t kPlotPoints = 200;

QString Text(int id) { return QString::fromStdString(LoadText(id)); }

QString Lines(const std::vector<std::string>& lines)
{
    QString text;
    for (const std::string& line : lines)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + QString::fromStdString(line);
    return text;
}

QString FindingsText(const CardProbeReport& probe)
{
    std::vector<std::string> lines;
    for (const ReportLine& line : ProbeFindings(probe))
        lines.push_back(line.text);
    return Lines(lines);
}

QLabel* NewLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

CCheckCardDlg::CCheckCardDlg(const CardProbeReport& probe, bool fullTest, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Text(kIdsCheckCardTitle));
    auto* layout = new QVBoxLayout(this);
    findings_ = NewLabel(this);
    findings_->setText(FindingsText(probe));
    layout->addWidget(findings_);
    capacity_ = NewLabel(this);
    if (probe.outcome == kProbeGenuine || probe.outcome == kProbeFake)
        capacity_->setText(QString::fromStdString(RealCapacityLine(probe.realBytes, probe.reportedBytes, probe.realClusters)));
    layout->addWidget(capacity_);
    figures_ = NewLabel(this);
    figures_->hide();
    layout->addWidget(figures_);
    plotCaption_ = new QLabel(Text(kIdsCheckSpeedCaption), this);
    plotCaption_->hide();
    layout->addWidget(plotCaption_);
    plot_ = new CSpeedPlot(this);
    plot_->hide();
    layout->addWidget(plot_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    fullTest_ = buttons->addButton(Text(kIdsCheckFullTest), QDialogButtonBox::ActionRole);
    fullTest_->setEnabled(fullTest);
    connect(fullTest_, &QPushButton::clicked, this, [this] { done(kRunFullTest); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(560);
}

void CCheckCardDlg::ShowScan(const CardScanReport& report, std::uint32_t totalClusters)
{
    findings_->setText(FindingsText(report.probe));
    capacity_->clear();
    std::vector<std::string> lines = ScanFigureLines(report);
    const std::string verdict = ScanVerdict(report);
    if (!verdict.empty())
        lines.push_back(verdict);
    for (const std::string& reason : ScanUnfitReasons(report))
        lines.push_back("  - " + reason);
    if (report.writtenClusters > 0)
        lines.push_back(LoadText(kIdsScanFreeOverwritten));
    figures_->setText(Lines(lines));
    figures_->show();
    plot_->SetSeries(ThinSeries(report.write.series, kPlotPoints), ThinSeries(report.read.series, kPlotPoints),
                     totalClusters);
    plotCaption_->show();
    plot_->show();
    fullTest_->setEnabled(false);
    adjustSize();
}
