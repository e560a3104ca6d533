#include "CCopyTargetsDlg.h"

#include "Texts.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CCopyTargetsDlg::CCopyTargetsDlg(const std::string& source, const std::vector<std::string>& cards, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromStdString(LoadText(kIdsCopyTargetsTitle)));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromStdString(FormatText(kIdsCopyTargetsPrompt, source.c_str())), this));
    list_ = new QListWidget(this);
    for (const std::string& card : cards) {
        auto* item = new QListWidgetItem(QString::fromStdString(card), list_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    layout->addWidget(list_);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemChanged, this, [this] { UpdateOk(); });
    UpdateOk();
}

int CCopyTargetsDlg::DoModal(const Answer& answer) { return answer ? answer(*this) : exec(); }

std::vector<int> CCopyTargetsDlg::Ticked() const
{
    std::vector<int> ticked;
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->checkState() == Qt::Checked)
            ticked.push_back(i);
    }
    return ticked;
}

void CCopyTargetsDlg::SetTicked(int index, bool ticked)
{
    if (QListWidgetItem* item = list_->item(index))
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void CCopyTargetsDlg::UpdateOk() { buttons_->button(QDialogButtonBox::Ok)->setEnabled(!Ticked().empty()); }
