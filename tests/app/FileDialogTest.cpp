// File dialogs: filters converted from the string table's form, default
// extension, initial name, open and save rules.
#include "AppTestSupport.h"
#include "FileDialog.h"
#include "FileFilter.h"
#include "Interaction.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTimer>

#include <fstream>

namespace {

class FileDialogTest : public CAppTest {};

QStringList ShownFilters(QFileDialog& d)
{
    auto* combo = d.findChild<QComboBox*>("fileTypeCombo");
    QStringList items;
    if (combo != nullptr) {
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
    }
    return items;
}

} // namespace

TEST_F(FileDialogTest, FiltersOfBothLanguagesConvert)
{
    EXPECT_EQ((QStringList{"Video files (*.dv *.avi *.mp4 *.mov *.m4v *.mkv *.webm *.mts *.m2ts *.ts *.mpg *.vob *.3gp *.wmv *.flv) (*.dv *.avi *.mp4 *.mov *.m4v *.mkv *.webm *.mts *.m2ts *.ts *.mpg *.vob *.3gp *.wmv *.flv)", "AVI files (*.avi) (*.avi)", "DV files (*.dv) (*.dv)", "All files (*.*) (*)"}),
              ConvertFileFilter(QString::fromStdString(LoadText(kIdsFilterOpenClip))));
    EXPECT_EQ(QStringList{"DV files(*.dv) (*.dv)"}, ConvertFileFilter(QString::fromStdString(LoadText(kIdsFilterDv))));
    SetLanguage(1);
    EXPECT_EQ((QStringList{"Видеофайлы (*.dv *.avi *.mp4 *.mov *.m4v *.mkv *.webm *.mts *.m2ts *.ts *.mpg *.vob *.3gp *.wmv *.flv) (*.dv *.avi *.mp4 *.mov *.m4v *.mkv *.webm *.mts *.m2ts *.ts *.mpg *.vob *.3gp *.wmv *.flv)", "Файлы AVI (*.avi) (*.avi)", "Файлы DV (*.dv) (*.dv)", "Все файлы (*.*) (*)"}),
              ConvertFileFilter(QString::fromStdString(LoadText(kIdsFilterOpenClip))));
    EXPECT_EQ(QStringList{"Файлы DV (*.dv) (*.dv)"},
              ConvertFileFilter(QString::fromStdString(LoadText(kIdsFilterDv))));
}

TEST_F(FileDialogTest, FilterEdgeCases)
{
    EXPECT_EQ(QStringList{"Video (*.avi *.dv)"}, ConvertFileFilter("Video|*.avi;*.dv||"));
    EXPECT_EQ(QStringList{"A (*.a)"}, ConvertFileFilter("A|*.a||B|*.b||")) << "the text ends at the double bar";
    EXPECT_EQ(QStringList{"A (*.a)"}, ConvertFileFilter("A|*.a|B")) << "a description without pattern";
    EXPECT_EQ(QStringList{"A (*.a)"}, ConvertFileFilter("A|*.a|B||"));
    EXPECT_TRUE(ConvertFileFilter("").isEmpty());
    EXPECT_TRUE(ConvertFileFilter("||").isEmpty());
}

TEST_F(FileDialogTest, OpenDialogWantsAnExistingFileAndShowsDescriptionsAsWritten)
{
    std::ofstream(Dir().File("clip.dv")) << "x";
    CFileDialog dlg(true, "", Dir().File("clip.dv"), LoadText(kIdsFilterOpenClip), nullptr);
    QFileDialog& d = dlg.Dialog();
    EXPECT_EQ(QFileDialog::AcceptOpen, d.acceptMode());
    EXPECT_EQ(QFileDialog::ExistingFile, d.fileMode());
    EXPECT_EQ("", d.defaultSuffix());
    EXPECT_EQ(QString::fromStdString(Dir().Path()), d.directory().absolutePath());
    EXPECT_EQ((QStringList{"Video files (*.dv *.avi *.mp4 *.mov *.m4v *.mkv *.webm *.mts *.m2ts *.ts *.mpg *.vob *.3gp *.wmv *.flv)", "AVI files (*.avi)", "DV files (*.dv)", "All files (*.*)"}), ShownFilters(d));
    EXPECT_EQ((QStringList{"Video files (*.dv *.avi *.mp4 *.mov *.m4v *.mkv *.webm *.mts *.m2ts *.ts *.mpg *.vob *.3gp *.wmv *.flv) (*.dv *.avi *.mp4 *.mov *.m4v *.mkv *.webm *.mts *.m2ts *.ts *.mpg *.vob *.3gp *.wmv *.flv)", "AVI files (*.avi) (*.avi)", "DV files (*.dv) (*.dv)", "All files (*.*) (*)"}),
              d.nameFilters());
    auto* model = d.findChild<QFileSystemModel*>();
    ASSERT_NE(nullptr, model);
    EXPECT_EQ(QStringList({"*.dv", "*.avi", "*.mp4", "*.mov", "*.m4v", "*.mkv", "*.webm", "*.mts", "*.m2ts", "*.ts", "*.mpg", "*.vob", "*.3gp", "*.wmv", "*.flv"}), model->nameFilters())
        << "the first filter, all video files, is in force";

    QTimer::singleShot(0, [&d] { static_cast<QDialog&>(d).accept(); });
    ASSERT_EQ(kIdOk, dlg.DoModal());
    EXPECT_EQ(Dir().File("clip.dv"), dlg.PathName()) << "the initial name was chosen";
}

TEST_F(FileDialogTest, SaveDialogAddsTheDefaultExtensionAndAsksBeforeReplacing)
{
    SetLanguage(1);
    CFileDialog dlg(false, ".dv", Dir().File("PARIS"), LoadText(kIdsFilterDv), nullptr);
    QFileDialog& d = dlg.Dialog();
    EXPECT_EQ(QFileDialog::AcceptSave, d.acceptMode());
    EXPECT_EQ(QFileDialog::AnyFile, d.fileMode());
    EXPECT_EQ("dv", d.defaultSuffix());
    EXPECT_FALSE(d.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(QStringList{"Файлы DV (*.dv)"}, ShownFilters(d));

    QTimer::singleShot(0, [&d] { static_cast<QDialog&>(d).accept(); });
    ASSERT_EQ(kIdOk, dlg.DoModal());
    EXPECT_EQ(Dir().File("PARIS.dv"), dlg.PathName());

    QTimer::singleShot(0, [&d] { d.reject(); });
    EXPECT_EQ(kIdCancel, dlg.DoModal());
    EXPECT_EQ("", dlg.PathName());
}
