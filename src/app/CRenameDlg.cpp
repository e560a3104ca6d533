#include "CRenameDlg.h"

#include "CardLayout.h"
#include "ClipName.h"
#include "Texts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CRenameDlg::CRenameDlg(int slot, const std::string& name, QWidget* parent)
    : QDialog(parent), edit_(new QLineEdit(this)), counter_(new QLabel(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(QString::fromStdString(LoadText(kIdsRenameClip)));
    auto* label = new QLabel(QString::fromStdString(FormatText(kIdsNewClipName, slot + 1)), this);
    // Every character the card holds is one QChar: the limit is the card's.
    edit_->setMaxLength(kNameLength);
    edit_->setText(QString::fromStdString(name));
    edit_->selectAll();
    label->setBuddy(edit_);
    // Wide enough for "8/8" whatever the font.
    counter_->setMinimumWidth(counter_->fontMetrics().horizontalAdvance(QStringLiteral("88/8")));
    auto* row = new QHBoxLayout;
    row->addWidget(edit_, 1);
    row->addWidget(counter_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addLayout(row);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(edit_, &QLineEdit::textChanged, this, [this] { NameEdited(); });
    NameEdited();
}

std::string CRenameDlg::Name() const { return edit_->text().toStdString(); }

bool CRenameDlg::OkEnabled() const { return buttons_->button(QDialogButtonBox::Ok)->isEnabled(); }

void CRenameDlg::NameEdited()
{
    const std::string name = Name();
    counter_->setText(QStringLiteral("%1/%2").arg(ClipNameLength(name)).arg(kNameLength));
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(CheckClipName(name) == kClipNameOk);
}
