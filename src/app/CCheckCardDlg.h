// The report of Check card...: what the quick probe found (the verdict and
// the card's real capacity) and a button for the full test; once the full
// test ran, its result in the same dialog: the ranges of clusters that
// failed, the slowest and average speeds, the verdict, and the speed across
// the card as a plot. The tests themselves run in the window, under its
// progress display: the full test button ends the dialog with
// kRunFullTest, and the window shows it again with the result.
#pragma once
#include "CardScan.h"

#include <QDialog>

class CSpeedPlot;
class QLabel;
class QPushButton;

class CCheckCardDlg : public QDialog {
    Q_OBJECT

public:
    // What exec() returns when the full test is asked for.
    static constexpr int kRunFullTest = 2;

    // `fullTest`: whether the full test may run (a card whose table reads).
    CCheckCardDlg(const CardProbeReport& probe, bool fullTest, QWidget* parent = nullptr);

    // Shows what the full test found on a card of `totalClusters` clusters;
    // the full test is not offered again.
    void ShowScan(const CardScanReport& report, std::uint32_t totalClusters);

    QLabel* Findings() const { return findings_; }
    QLabel* Capacity() const { return capacity_; }
    QLabel* ScanFigures() const { return figures_; }
    CSpeedPlot* Plot() const { return plot_; }
    QPushButton* FullTestButton() const { return fullTest_; }

private:
    QLabel* findings_ = nullptr;
    QLabel* capacity_ = nullptr;
    QLabel* figures_ = nullptr;
    QLabel* plotCaption_ = nullptr;
    CSpeedPlot* plot_ = nullptr;
    QPushButton* fullTest_ = nullptr;
};
