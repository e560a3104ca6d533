// A main window under test: message boxes answered by a script, device
// events sent by the test, card images named in the settings' "Cards"
// section, start-up discovery run to its end, and drags of the lists begun
// by synthetic mouse events and played by CItemDragPlay.
#pragma once
#include "AppTestSupport.h"
#include "CDeviceEvents.h"
#include "CMainWin.h"
#include "ItemDragPlay.h"
#include "MainWinProbe.h"
#include "ScriptedInteraction.h"
#include "TaggedCard.h"

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QTest>

#include <functional>
#include <memory>

class MainWinFixture : public CAppTest {
protected:
    void TearDown() override
    {
        win.reset();
        CAppTest::TearDown();
    }

    // Names `paths` as Image1, Image2, ... (an empty path leaves the key out).
    void NameImages(const std::vector<std::string>& paths)
    {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            if (!paths[i].empty())
                WriteProfileString("Cards", "Image" + std::to_string(i + 1), paths[i]);
        }
    }

    // Builds the window and lets its start-up timer run discovery.
    CMainWin& Start()
    {
        auto source = std::make_unique<CDeviceEvents>();
        events = source.get();
        win = std::make_unique<CMainWin>(env, &ui, std::move(source));
        while (Probe(*win).StartupPending())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return *win;
    }

    // The centre of item `row`, scrolled into view, in its viewport.
    static QPoint ItemPoint(QListWidget* list, int row)
    {
        list->scrollToItem(list->item(row));
        return list->visualItemRect(list->item(row)).center();
    }
    static QPoint Global(QListWidget* list, QPoint local) { return list->viewport()->mapToGlobal(local); }
    // A point of the list's viewport that no item covers.
    static QPoint EmptyPoint(QListWidget* list)
    {
        const QRect area = list->viewport()->rect();
        for (int y = area.bottom() - 1; y > 0; y -= 2)
            for (int x = area.right() - 1; x > 0; x -= 2)
                if (list->itemAt(QPoint(x, y)) == nullptr)
                    return QPoint(x, y);
        ADD_FAILURE() << "no empty space in the list";
        return QPoint();
    }

    // Presses on item `row` of `from` and moves past the drag distance;
    // the drag the window begins is played by `play`. True when a drag
    // began; without one the button is released again.
    bool PressAndPull(QListWidget* from, int row, const std::function<void(CItemDragPlay&)>& play = {})
    {
        bool began = false;
        env.runDrag = [&](QDrag& drag, Qt::DropActions actions) {
            began = true;
            CItemDragPlay player(*win, drag, actions);
            if (play)
                play(player);
            return player.Result();
        };
        const QPoint start = ItemPoint(from, row);
        QTest::mousePress(from->viewport(), Qt::LeftButton, {}, start);
        QTest::mouseMove(from->viewport(), start + QPoint(QApplication::startDragDistance() + 4, 0));
        env.runDrag = nullptr;
        // A drag takes the release; else the user lets go.
        if (!began)
            QTest::mouseRelease(from->viewport(), Qt::LeftButton, {}, start);
        return began;
    }
    // A drag of item `row` of `from` dropped over `local` of `to`; the
    // drop's answer.
    Qt::DropAction MouseDrag(QListWidget* from, int row, QListWidget* to, QPoint local)
    {
        Qt::DropAction answer = Qt::IgnoreAction;
        PressAndPull(from, row, [&](CItemDragPlay& drag) {
            drag.MoveTo(to, local);
            answer = drag.Drop();
        });
        return answer;
    }

    QComboBox* CardList() const { return win->ControlAs<QComboBox>(CMainWin::kIdCardList); }
    bool Enabled(int id) const { return win->Control(id)->isEnabled(); }
    std::string Text(int id) const { return win->ControlText(id).toStdString(); }
    std::string ItemText(QListWidget* list, int row) const { return list->item(row)->text().toStdString(); }
    // Writes a formatted image of `clusters` clusters at `path`. Every clip
    // shows a picture in its first cluster (blue when the clip names none),
    // so that it has a thumbnail.
    static bool WriteCard(const std::string& path, int clusters, std::vector<TaggedClip> clips,
                          const std::vector<TaggedPlaylist>& playlists = {})
    {
        for (TaggedClip& c : clips) {
            if (!c.picture)
                c.picture = convfix::Rgb{0, 0, 200};
        }
        return WriteTaggedImage(path, {clusters, clips, playlists});
    }
    // The same in Dir() under `name`.
    std::string CardWith(const std::string& name, const std::vector<TaggedClip>& clips,
                         const std::vector<TaggedPlaylist>& playlists = {}, int clusters = 400)
    {
        const std::string path = Dir().File(name);
        EXPECT_TRUE(WriteCard(path, clusters, clips, playlists)) << path;
        return path;
    }
    // The tables of the card image at `path`, as a fresh opening reads them.
    static std::unique_ptr<CDisk> ReadCard(const std::string& path)
    {
        auto disk = std::make_unique<CDisk>();
        EXPECT_EQ(kOpenOk, disk->OpenPath(path));
        EXPECT_TRUE(disk->ReadFAT());
        return disk;
    }

    CScriptedInteraction ui;
    CDeviceEvents* events = nullptr;
    std::unique_ptr<CMainWin> win;
};
