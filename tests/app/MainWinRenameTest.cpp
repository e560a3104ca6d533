// Rename clip in the window: the dialog's counter and its OK only for a
// name the card holds, the new name on the card and in the clip list.
#include "CRenameDlg.h"
#include "CardTexts.h"
#include "MainWinCommandsFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace {

class MainWinRenameTest : public MainWinCommandsFixture {
protected:
    // Runs Rename clip and, once its dialog is up, types `name` and presses
    // OK when it may be pressed (else Cancel); whether OK could be pressed.
    bool RenameTo(const QString& name)
    {
        bool okEnabled = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CRenameDlg*>(QApplication::activeModalWidget());
            if (dialog == nullptr)
                return;
            dialog->Edit()->setText(name);
            okEnabled = dialog->OkEnabled();
            okEnabled ? dialog->accept() : dialog->reject();
        });
        Probe(*win).OnRenameClip();
        return okEnabled;
    }
};

} // namespace

TEST_F(MainWinRenameTest, TheDialogTakesOnlyNamesTheCardHoldsAndTheListShowsTheNewOne)
{
    CRenameDlg dialog(1, "OLD");
    EXPECT_EQ("3/8", dialog.Counter()->text().toStdString());
    EXPECT_TRUE(dialog.OkEnabled());
    dialog.Edit()->setText(QString::fromUtf8("Пляж 24"));
    EXPECT_EQ("7/8", dialog.Counter()->text().toStdString());
    EXPECT_TRUE(dialog.OkEnabled());
    dialog.Edit()->setText("");
    EXPECT_FALSE(dialog.OkEnabled()) << "empty";
    dialog.Edit()->setText(QString::fromUtf8("a\u263A"));
    EXPECT_FALSE(dialog.OkEnabled()) << "a character the card cannot hold";
    dialog.Edit()->setText("ABCDEFGHIJ");
    EXPECT_EQ("ABCDEFGH", dialog.Name()) << "no more than 8 characters";

    NameImages({CardWith("card.img", {{0, 0, 100, 0, "A"}, {1, 100, 80, 1, "OLD"}})});
    StartWindow();
    Probe(*win).ClipList()->item(1)->setSelected(true);
    EXPECT_FALSE(RenameTo(QString::fromUtf8("a\u263A")));
    EXPECT_EQ("02 - OLD", ItemText(Probe(*win).ClipList(), 1));
    EXPECT_TRUE(RenameTo(QString::fromUtf8("Пляж")));
    EXPECT_EQ("02 - Пляж", ItemText(Probe(*win).ClipList(), 1)) << "redrawn";
    EXPECT_EQ("Пляж", ClipName(*ReadCard(Probe(*win).Session().Cards().Chosen()->entry.path), 1));
    EXPECT_TRUE(ui.Shown().empty());
}
