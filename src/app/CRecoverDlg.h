// The dialog of Recover clips...: the earlier tables kept for the card,
// newest first, with the thumbnails of the selected table's clips whose
// first frame is still whole, and the runs of frames found outside the
// table's clips (first cluster, frames, duration, recording date, timecode,
// long enough for a clip, a thumbnail of the first frame). The user ticks
// one table (with "keep only the whole clips" where some are not whole) or
// any of the runs; the window hands the choice to the session's flow.
#pragma once
#include "RecoverFlow.h"

#include <QDialog>
#include <QImage>

#include <cstdint>
#include <functional>
#include <vector>

class QCheckBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// What the user ticked: a table (its index, -1 none) or runs (indexes).
struct RecoverChoice {
    int table = -1;
    bool partial = false;
    std::vector<int> runs;
    bool Any() const { return table >= 0 || !runs.empty(); }
};

class CRecoverDlg : public QDialog {
    Q_OBJECT

public:
    // The 90x72 thumbnail of the frame in `cluster`; a null image when it
    // cannot be shown.
    using Thumbnail = std::function<QImage(std::uint32_t cluster)>;

    // `tables` and `runs` must outlive the dialog.
    CRecoverDlg(const std::vector<EarlierTable>& tables, const std::vector<FoundRun>& runs, Thumbnail thumbnail,
                QWidget* parent = nullptr);

    RecoverChoice Choice() const;

    QListWidget* Tables() const { return tables_; }
    QListWidget* TableClips() const { return clips_; }
    QTreeWidget* Runs() const { return runs_; }
    QCheckBox* KeepWhole() const { return keepWhole_; }
    QPushButton* RecoverButton() const { return recover_; }

private:
    void FillTables();
    void FillRuns();
    // The thumbnails of table `row`'s clips.
    void ShowTableClips(int row);
    void TableTicked(QListWidgetItem* item);
    void RunTicked(QTreeWidgetItem* item);
    void UpdateButtons();

    const std::vector<EarlierTable>& tableData_;
    const std::vector<FoundRun>& runData_;
    Thumbnail thumbnail_;
    QListWidget* tables_ = nullptr;
    QListWidget* clips_ = nullptr;
    QTreeWidget* runs_ = nullptr;
    QCheckBox* keepWhole_ = nullptr;
    QPushButton* recover_ = nullptr;
    bool ticking_ = false;
};
