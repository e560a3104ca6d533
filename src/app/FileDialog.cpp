#include "FileDialog.h"

#include "FileFilter.h"
#include "Interaction.h"

#include <QFileDialog>
#include <QFileInfo>

CFileDialog::CFileDialog(bool open, const std::string& defaultExtension, const std::string& fileName,
                         const std::string& filter, QWidget* parent)
    : dialog_(std::make_unique<QFileDialog>(parent))
{
    QFileDialog& d = *dialog_;
    // The same dialog everywhere, with the filter descriptions shown as the
    // string table writes them (the patterns stay out of sight).
    d.setOption(QFileDialog::DontUseNativeDialog, true);
    d.setOption(QFileDialog::HideNameFilterDetails, true);
    d.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    d.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QString ext = QString::fromStdString(defaultExtension);
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    d.setDefaultSuffix(ext);
    QStringList filters = ConvertFileFilter(QString::fromStdString(filter));
    if (!filters.isEmpty())
        d.setNameFilters(filters);

    const QString name = QString::fromStdString(fileName);
    if (!name.isEmpty()) {
        QFileInfo info(name);
        if (info.isAbsolute() && info.dir().exists())
            d.setDirectory(info.dir());
        d.selectFile(info.isAbsolute() ? info.fileName() : name);
    }
}

CFileDialog::~CFileDialog() = default;

int CFileDialog::DoModal(const Answer& answer)
{
    path_.clear();
    if (answer) {
        path_ = answer(*this);
        return path_.empty() ? kIdCancel : kIdOk;
    }
    if (dialog_->exec() != QDialog::Accepted)
        return kIdCancel;
    const QStringList files = dialog_->selectedFiles();
    if (files.isEmpty())
        return kIdCancel;
    path_ = files.first().toStdString();
    return kIdOk;
}
