// The main window's shell: controls where template 102 puts them, captions
// in both languages and the language switch, Enter and Escape, the icon.
#include "AppTestSupport.h"
#include "CMainWin.h"
#include "MainWinProbe.h"
#include "ControlText.h"
#include "DialogUnits.h"
#include "FileDialog.h"
#include "Interaction.h"
#include "MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

class MainWinTest : public CAppTest {};

// The base units of a font, computed here as dialog units are defined.
CDialogUnits UnitsOf(const QFont& font)
{
    QFontMetrics fm(font);
    int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return CDialogUnits((letters / 26 + 1) / 2, fm.height());
}

QRect Expected(const CDialogUnits& u, int x, int y, int w, int h)
{
    return u.ToPixels(x, y, w, h);
}

// Where a group box draws the top of its frame, in a picture of the box:
// the top of the line drawn down its left edge to the bottom.
int DrawnFrameTop(QGroupBox* group)
{
    const QImage image = group->grab().toImage();
    const QRgb background = image.pixel(image.width() - 1, 0);
    int top = image.height();
    for (int x = 0; x < 3; ++x) {
        int y = image.height() - 3;
        while (y >= 0 && image.pixel(x, y) != background)
            --y;
        if (y < image.height() - 3)
            top = std::min(top, y + 1);
    }
    return top;
}

// Whether the caption of a button, check box or group box shows whole: the
// control is as wide as Qt says its caption needs.
bool CaptionShowsWhole(QWidget* w, std::string& why)
{
    int needed = 0;
    if (auto* group = qobject_cast<QGroupBox*>(w))
        needed = w->fontMetrics().horizontalAdvance(group->title()) + 2 * w->fontMetrics().averageCharWidth();
    else if (qobject_cast<QAbstractButton*>(w) != nullptr)
        needed = w->sizeHint().width();
    else
        return true;
    why = std::to_string(needed) + " pixels needed, " + std::to_string(w->width()) + " there";
    return needed <= w->width();
}

// The text of standard button `which` of the open dialog's button box.
QString DialogButtonText(QFileDialog& dialog, QDialogButtonBox::StandardButton which)
{
    auto* box = dialog.findChild<QDialogButtonBox*>();
    return box != nullptr && box->button(which) != nullptr ? box->button(which)->text() : QString();
}

} // namespace

TEST_F(MainWinTest, ControlsSitWhereTheTemplatePutsThemForTheDialogFont)
{
    CMainWin win(env);
    EXPECT_EQ(8, win.font().pointSize());
    CDialogUnits u = UnitsOf(win.font());
    ASSERT_GT(u.BaseX(), 0);
    // The menu bar sits above the template's controls.
    const int top = win.TopBarHeight();
    EXPECT_GT(top, 10);
    EXPECT_EQ(QSize(u.ToPixelsX(516), u.ToPixelsY(388) + top), win.size()) << "client size of 516 x 388 units";
    EXPECT_EQ(Expected(u, 452, 364, 56, 14).translated(0, top), win.Control(2003)->geometry());
    EXPECT_EQ(Expected(u, 8, 364, 404, 14).translated(0, top), win.Control(1008)->geometry());
    EXPECT_EQ(Expected(u, 412, 41, 88, 175).translated(0, top), win.Control(1010)->geometry());
    EXPECT_EQ(Expected(u, 16, 81, 120, 90).translated(0, top), win.Control(1003)->geometry());
    QRect cards = win.Control(1004)->geometry();
    EXPECT_EQ(Expected(u, 228, 8, 88, 64).translated(0, top).topLeft(), cards.topLeft());
    EXPECT_EQ(u.ToPixelsX(88), cards.width());
    EXPECT_LT(cards.height(), u.ToPixelsY(64)) << "a closed drop-down list is one line high";

    for (const CDialogControl& c : win.Template().Controls()) {
        QWidget* w = win.Control(c.id);
        ASSERT_NE(nullptr, w) << c.id;
        if (c.kind != ControlKind::Combo) {
            EXPECT_EQ(Expected(u, c.x, c.y, c.width, c.height).translated(0, top), w->geometry()) << c.id;
        }
        EXPECT_EQ(c.Has(kStateHidden), w->isHidden()) << c.id;
    }
    for (int hidden : {2020, 2026, 2027, 2028, 2029})
        EXPECT_TRUE(win.Control(hidden)->isHidden()) << hidden;
    for (int never : {2026, 2027, 2028, 2029})
        EXPECT_FALSE(win.Control(never)->isEnabled()) << never;
}

TEST_F(MainWinTest, CaptionTitleAndIcon)
{
    CMainWin win(env);
    EXPECT_EQ("Tessaro M8", win.windowTitle());
    EXPECT_FALSE(win.windowIcon().isNull());
    EXPECT_FALSE(win.windowIcon().pixmap(32, 32).isNull());
    EXPECT_TRUE(win.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(win.Control(CMainWin::kIdLanguageList)->isEnabled()) << "usable when not busy";
}

TEST_F(MainWinTest, EnglishCaptionsByDefaultAndLiteralCaptionsKept)
{
    CMainWin win(env);
    EXPECT_EQ("Read clip <-", win.ControlText(2001));
    EXPECT_EQ("Write clip ->", win.ControlText(2004));
    EXPECT_EQ("Clips", win.ControlText(2016));
    EXPECT_EQ("Logo control", win.ControlText(2020));
    EXPECT_EQ("Current playlist", win.ControlText(2019));
    EXPECT_EQ("Loop", win.ControlText(2025));
    for (int id : {2026, 2027, 2028, 2029, 1009})
        EXPECT_EQ("-", win.ControlText(id)) << id;
    auto* languages = win.ControlAs<QComboBox>(CMainWin::kIdLanguageList);
    ASSERT_NE(nullptr, languages);
    ASSERT_EQ(2, languages->count());
    EXPECT_EQ("English", languages->itemText(0));
    EXPECT_EQ("Russian", languages->itemText(1));
    EXPECT_EQ(0, languages->currentIndex());
}

TEST_F(MainWinTest, SwitchingTheLanguageRecaptionsAtOnceAndIsSaved)
{
    WriteIni("[Cards]\nImage1=/tmp/card.img\n");
    CMainWin win(env);
    auto* languages = win.ControlAs<QComboBox>(CMainWin::kIdLanguageList);
    ASSERT_NE(nullptr, languages);
    languages->setFocus();
    QTest::keyClick(languages, Qt::Key_Down); // the user picks the next entry
    EXPECT_EQ(1, languages->currentIndex());
    EXPECT_EQ(1, Language());
    EXPECT_EQ("Считать видеоклип <-", win.ControlText(2001));
    EXPECT_EQ("Видеоклипы", win.ControlText(2016));
    EXPECT_EQ("Обновить", win.ControlText(2021));
    EXPECT_EQ("Логотип", win.ControlText(2020));
    EXPECT_EQ("-", win.ControlText(2026));
    EXPECT_EQ(1, GetProfileInt("Layout", "Language", -1)) << "written at once";
    EXPECT_EQ("/tmp/card.img", GetProfileString("Cards", "Image1", "")) << "other sections kept";

    QTest::keyClick(languages, Qt::Key_Up);
    EXPECT_EQ(0, Language());
    EXPECT_EQ("Read clip <-", win.ControlText(2001));
    EXPECT_EQ(0, GetProfileInt("Layout", "Language", -1));
}

TEST_F(MainWinTest, QtsOwnTextsFollowTheLanguageAndCaptionsStayWholeInsideTheirFrames)
{
    CMainWin win(env);
    win.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
    auto* languages = win.ControlAs<QComboBox>(CMainWin::kIdLanguageList);
    ASSERT_NE(nullptr, languages);
    struct Texts {
        int language;
        const char* yes;
        const char* no;
        const char* cancel;
    };
    for (const Texts& t : {Texts{1, "&Да", "&Нет", "Отмена"}, Texts{0, "&Yes", "&No", "Cancel"}}) {
        languages->setCurrentIndex(t.language);
        Probe(win).OnLanguageSelChange();
        // Message boxes and file dialogs are Qt's, with Qt's button texts.
        const std::unique_ptr<QMessageBox> box = BuildMessageBox(kMbYesNo | kMbIconQuestion, QStringLiteral("?"), &win);
        EXPECT_EQ(t.yes, box->button(QMessageBox::Yes)->text().toStdString()) << t.language;
        EXPECT_EQ(t.no, box->button(QMessageBox::No)->text().toStdString()) << t.language;
        CFileDialog dialog(true, ".dv", "", LoadText(kIdsFilterOpenClip), &win);
        EXPECT_EQ(t.cancel, DialogButtonText(dialog.Dialog(), QDialogButtonBox::Cancel).toStdString()) << t.language;

        // Every caption shows whole, and every control of a group lies
        // inside the frame the group draws.
        for (const CDialogControl& c : win.Template().Controls()) {
            QWidget* w = win.Control(c.id);
            std::string why;
            if (w->isVisible()) {
                EXPECT_TRUE(CaptionShowsWhole(w, why)) << c.id << " " << ControlText(w).toStdString() << ": " << why;
            }
            auto* group = qobject_cast<QGroupBox*>(w);
            if (group == nullptr || !group->isVisible())
                continue;
            const QRect frame = group->geometry().adjusted(0, DrawnFrameTop(group) + 1, 0, 0);
            for (const CDialogControl& inner : win.Template().Controls()) {
                QWidget* i = win.Control(inner.id);
                if (i != w && i->isVisible() && group->geometry().contains(i->geometry().center())) {
                    EXPECT_TRUE(frame.contains(i->geometry())) << inner.id << " in group " << c.id << " of language "
                                                               << t.language;
                }
            }
        }
    }
}

TEST_F(MainWinTest, SavedLanguageAnyNonZeroValueMeansRussian)
{
    WriteIni("[Layout]\nLanguage=5\n");
    CMainWin win(env);
    EXPECT_EQ(1, Language());
    EXPECT_EQ(1, win.ControlAs<QComboBox>(CMainWin::kIdLanguageList)->currentIndex());
    EXPECT_EQ("Russian", win.ControlAs<QComboBox>(CMainWin::kIdLanguageList)->currentText());
    EXPECT_EQ("Форматировать", win.ControlText(2002));
    EXPECT_EQ("Текущая карта памяти", win.ControlText(2013));
}

TEST_F(MainWinTest, WithoutSavedLanguageTheLocaleDecides)
{
    setenv("LC_ALL", "ru_RU.UTF-8", 1);
    {
        CMainWin win(env);
        EXPECT_EQ("Открыть видеоклип", win.ControlText(2006));
    }
    EXPECT_EQ(std::string::npos, ReadIni().find("Language")) << "the default is not written by itself";
    setenv("LC_ALL", "C", 1);
    CMainWin win(env);
    EXPECT_EQ("Open clip", win.ControlText(2006));
}

TEST_F(MainWinTest, EnterAndEscapeDoNothing)
{
    CMainWin win(env);
    auto* refresh = win.ControlAs<QPushButton>(2021);
    ASSERT_NE(nullptr, refresh);
    refresh->setEnabled(true);
    int clicks = 0;
    QObject::connect(refresh, &QPushButton::clicked, [&] { ++clicks; });
    win.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&win));
    refresh->setFocus();
    for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(refresh, key);
        QTest::keyClick(&win, key);
        QTest::keyClick(win.Control(CMainWin::kIdLanguageList), key);
    }
    EXPECT_TRUE(win.isVisible()) << "Escape does not close the window";
    EXPECT_EQ(QDialog::Rejected, win.result());
    EXPECT_EQ(0, clicks) << "Enter presses no button";
    QTest::keyClick(refresh, Qt::Key_Space);
    EXPECT_EQ(1, clicks) << "other keys still reach the controls";
}
