#include "CRecoverDlg.h"

#include "CDisk.h"
#include "CardTexts.h"
#include "DvFrame.h"
#include "Texts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kThumbWidth = 90;
constexpr int kThumbHeight = 72;

QString Text(int id) { return QString::fromStdString(LoadText(id)); }
QString Utf8(const std::string& text) { return QString::fromStdString(text); }

QIcon IconOf(const QImage& image)
{
    if (!image.isNull())
        return QIcon(QPixmap::fromImage(image));
    QPixmap blank(kThumbWidth, kThumbHeight);
    blank.fill(Qt::black);
    return QIcon(blank);
}

bool Contains(const std::vector<int>& list, int value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

QString SlotLabel(int slot, const ClipRecord& clip)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d", slot + 1);
    const std::string name = RecordName(clip);
    return Utf8(name.empty() ? std::string(number) : std::string(number) + " - " + name);
}

} // namespace

CRecoverDlg::CRecoverDlg(const std::vector<EarlierTable>& tables, const std::vector<FoundRun>& runs,
                         Thumbnail thumbnail, QWidget* parent)
    : QDialog(parent), tableData_(tables), runData_(runs), thumbnail_(std::move(thumbnail))
{
    setWindowTitle(Text(kIdsOpRecover));
    auto* layout = new QVBoxLayout(this);

    layout->addWidget(new QLabel(Text(tables.empty() ? kIdsRecoverNoEarlierTable : kIdsRecoverTablesCaption), this));
    tables_ = new QListWidget(this);
    tables_->setWordWrap(true);
    layout->addWidget(tables_);
    clips_ = new QListWidget(this);
    clips_->setViewMode(QListView::IconMode);
    clips_->setIconSize(QSize(kThumbWidth, kThumbHeight));
    clips_->setGridSize(QSize(kThumbWidth + 20, kThumbHeight + 36));
    clips_->setResizeMode(QListView::Adjust);
    clips_->setMovement(QListView::Static);
    clips_->setSelectionMode(QAbstractItemView::NoSelection);
    clips_->setFixedHeight(kThumbHeight + 56);
    layout->addWidget(clips_);
    keepWhole_ = new QCheckBox(Text(kIdsRecoverKeepWhole), this);
    keepWhole_->setChecked(true);
    layout->addWidget(keepWhole_);
    if (tables.empty()) {
        tables_->hide();
        clips_->hide();
        keepWhole_->hide();
    }

    layout->addWidget(new QLabel(Text(runs.empty() ? kIdsCliRecoverNoRuns : kIdsRecoverRunsCaption), this));
    runs_ = new QTreeWidget(this);
    runs_->setRootIsDecorated(false);
    runs_->setIconSize(QSize(kThumbWidth, kThumbHeight));
    runs_->setHeaderLabels({Text(kIdsRecoverColCluster), Text(kIdsRecoverColFrames), Text(kIdsRecoverColDuration),
                            Text(kIdsRecoverColRecorded), Text(kIdsRecoverColTimecode), Text(kIdsRecoverColClip)});
    layout->addWidget(runs_);
    if (runs.empty())
        runs_->hide();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    recover_ = buttons->addButton(Text(kIdsRecoverButton), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    FillTables();
    FillRuns();
    connect(tables_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) { TableTicked(item); });
    connect(tables_, &QListWidget::currentRowChanged, this, [this](int row) { ShowTableClips(row); });
    connect(runs_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) { RunTicked(item); });
    connect(keepWhole_, &QCheckBox::toggled, this, [this] { UpdateButtons(); });
    if (!tables.empty())
        tables_->setCurrentRow(0);
    UpdateButtons();
    resize(720, 640);
}

void CRecoverDlg::FillTables()
{
    for (const EarlierTable& t : tableData_) {
        std::string text = EarlierTableText(t);
        if (!t.Whole()) {
            text += '\n';
            text += FormatText(kIdsRecoverNotWhole, SlotList(t.brokenSlots).c_str());
        }
        auto* item = new QListWidgetItem(Utf8(text), tables_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void CRecoverDlg::FillRuns()
{
    const std::string none = LoadText(kIdsCliRecoverNoDate);
    for (const FoundRun& r : runData_) {
        const std::string recorded = r.head.hasRecorded ? RecordedText(r.head) : none;
        const std::string timecode = r.head.hasTimecode ? TimecodeText(r.head) : "-";
        auto* item = new QTreeWidgetItem(runs_, QStringList{QString::number(r.firstCluster), QString::number(r.frames),
                                                            Utf8(FormatFrameTime(r.frames)), Utf8(recorded),
                                                            Utf8(timecode),
                                                            Text(r.LongEnough() ? kIdsRecoverLongEnough
                                                                                : kIdsRecoverTooShort)});
        item->setIcon(0, IconOf(thumbnail_ ? thumbnail_(r.firstCluster) : QImage()));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    for (int c = 0; c < runs_->columnCount(); ++c)
        runs_->resizeColumnToContents(c);
}

void CRecoverDlg::ShowTableClips(int row)
{
    clips_->clear();
    if (row < 0 || row >= static_cast<int>(tableData_.size()))
        return;
    const EarlierTable& t = tableData_[static_cast<std::size_t>(row)];
    for (int s = 0; s < static_cast<int>(t.clips.size()); ++s) {
        const ClipRecord& clip = t.clips[static_cast<std::size_t>(s)];
        if (clip.frames == 0)
            continue;
        // Only a first frame that is still the clip's own is shown.
        QImage image;
        if (thumbnail_ && !Contains(t.firstChanged, s) && clip.firstSector >= kFirstClusterSector)
            image = thumbnail_(CDisk::ClusterOfSector(clip.firstSector));
        auto* item = new QListWidgetItem(IconOf(image), SlotLabel(s, clip), clips_);
        if (Contains(t.brokenSlots, s))
            item->setForeground(Qt::red);
    }
}

void CRecoverDlg::TableTicked(QListWidgetItem* item)
{
    if (ticking_ || item->checkState() != Qt::Checked)
        return UpdateButtons();
    // One table, and then no runs.
    ticking_ = true;
    for (int i = 0; i < tables_->count(); ++i) {
        if (tables_->item(i) != item)
            tables_->item(i)->setCheckState(Qt::Unchecked);
    }
    for (int i = 0; i < runs_->topLevelItemCount(); ++i)
        runs_->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    ticking_ = false;
    tables_->setCurrentItem(item);
    UpdateButtons();
}

void CRecoverDlg::RunTicked(QTreeWidgetItem* item)
{
    if (ticking_ || item->checkState(0) != Qt::Checked)
        return UpdateButtons();
    // Runs, and then no table.
    ticking_ = true;
    for (int i = 0; i < tables_->count(); ++i)
        tables_->item(i)->setCheckState(Qt::Unchecked);
    ticking_ = false;
    UpdateButtons();
}

RecoverChoice CRecoverDlg::Choice() const
{
    RecoverChoice choice;
    for (int i = 0; i < tables_->count(); ++i) {
        if (tables_->item(i)->checkState() == Qt::Checked)
            choice.table = i;
    }
    if (choice.table >= 0) {
        choice.partial = !tableData_[static_cast<std::size_t>(choice.table)].Whole() && keepWhole_->isChecked();
        return choice;
    }
    for (int i = 0; i < runs_->topLevelItemCount(); ++i) {
        if (runs_->topLevelItem(i)->checkState(0) == Qt::Checked)
            choice.runs.push_back(i);
    }
    return choice;
}

void CRecoverDlg::UpdateButtons()
{
    const RecoverChoice choice = Choice();
    keepWhole_->setEnabled(choice.table >= 0 && !tableData_[static_cast<std::size_t>(choice.table)].Whole());
    recover_->setEnabled(choice.Any());
}
