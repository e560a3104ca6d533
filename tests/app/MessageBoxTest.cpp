// Message boxes: text, caption, icon, buttons and default button for each
// use of the message table, and the answer returned.
#include "AppTestSupport.h"
#include "Interaction.h"
#include "MessageBox.h"
#include "MessageBoxInteraction.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

namespace {

class MessageBoxTest : public CAppTest {};

struct Seen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Answers the next modal message box with `button` (or with Escape when
// NoButton), recording what it showed.
void AnswerNextBox(Seen& seen, QMessageBox::StandardButton button)
{
    QTimer::singleShot(0, [&seen, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            ADD_FAILURE() << "no message box shown";
            return;
        }
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.buttons = box->standardButtons();
        seen.defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton())
                                                  : QMessageBox::NoButton;
        if (button == QMessageBox::NoButton)
            box->reject();
        else
            box->button(button)->click();
    });
}

} // namespace

TEST_F(MessageBoxTest, FlagsGiveIconButtonsAndDefault)
{
    struct Case {
        unsigned flags;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton def;
    };
    const Case cases[] = {
        {kMsgError, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok},
        {kMsgWarning, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok},
        {kMsgInfo, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok},
        {kMsgYesNoDefNo, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No},
        {kMsgYesNo, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes},
        {kMsgOkCancelWarning, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok},
        {kMbOkCancel | kMbIconWarning | kMbDefButton2, QMessageBox::Warning, QMessageBox::Ok | QMessageBox::Cancel,
         QMessageBox::Cancel},
        {kMbOk | kMbDefButton2, QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok},
    };
    for (const Case& c : cases) {
        auto box = BuildMessageBox(c.flags, "text <b>x</b> & y", nullptr);
        EXPECT_EQ(c.icon, box->icon()) << c.flags;
        EXPECT_EQ(c.buttons, box->standardButtons()) << c.flags;
        ASSERT_NE(nullptr, box->defaultButton()) << c.flags;
        EXPECT_EQ(c.def, box->standardButton(box->defaultButton())) << c.flags;
        EXPECT_EQ("Pelko Tessaro M8", box->windowTitle());
        EXPECT_EQ(Qt::PlainText, box->textFormat()) << "a path is never read as markup";
        EXPECT_EQ("text <b>x</b> & y", box->text());
    }
}

TEST_F(MessageBoxTest, QuestionShowsTheTextAndReturnsTheButtonPressed)
{
    CMessageBoxInteraction ui;
    Seen seen;
    AnswerNextBox(seen, QMessageBox::Yes);
    EXPECT_EQ(kIdYes, ShowMessage(ui, kIdsAskFormat, kMsgYesNoDefNo));
    EXPECT_EQ("Pelko Tessaro M8", seen.title);
    EXPECT_EQ("Warning: all data from the memory card will be deleted!\n\nFormat memory card?", seen.text);
    EXPECT_EQ(QMessageBox::Question, seen.icon);
    EXPECT_EQ(QMessageBox::Yes | QMessageBox::No, seen.buttons);
    EXPECT_EQ(QMessageBox::No, seen.defaultButton);

    AnswerNextBox(seen, QMessageBox::No);
    EXPECT_EQ(kIdNo, ShowMessage(ui, kIdsAskDeletePlaylist, kMsgYesNoDefNo, 3));
    EXPECT_EQ("Delete playlist 03?", seen.text);
}

TEST_F(MessageBoxTest, RussianTextKeepsTheTitleAndCancelIsReported)
{
    SetLanguage(1);
    CMessageBoxInteraction ui;
    Seen seen;
    AnswerNextBox(seen, QMessageBox::Cancel);
    EXPECT_EQ(kIdCancel, ShowMessage(ui, kIdsNoPlaylist, kMsgOkCancelWarning));
    EXPECT_EQ("Pelko Tessaro M8", seen.title);
    EXPECT_TRUE(seen.text.startsWith("Предупреждение: нет ни одного плейлиста!"));
    EXPECT_EQ(QMessageBox::Warning, seen.icon);
    EXPECT_EQ(QMessageBox::Ok, seen.defaultButton);

    AnswerNextBox(seen, QMessageBox::NoButton);
    EXPECT_EQ(kIdCancel, ShowMessage(ui, kIdsNoPlaylist, kMsgOkCancelWarning)) << "Escape is Cancel";

    AnswerNextBox(seen, QMessageBox::Ok);
    EXPECT_EQ(kIdOk, ShowMessagePath(ui, kIdsCannotOpenFile, kMsgError, "/tmp/<i>.dv"));
    EXPECT_EQ("Ошибка открытия файла:\n\n/tmp/<i>.dv", seen.text);
    EXPECT_EQ(QMessageBox::Critical, seen.icon);
}
