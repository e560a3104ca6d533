// A main window on a card image of six clips for the playlist editing
// tests: playlists and logo modes of the test's choice, the window shown so
// that items have places on the screen, the card image read back by a
// second opening, and drags begun by synthetic mouse events and played by
// CItemDragPlay.
#pragma once
#include "DropHighlight.h"
#include "DvFrame.h"
#include "ItemDragPlay.h"
#include "MainWinFixture.h"

#include <QLabel>
#include <QTest>

#include <fstream>
#include <functional>
#include <iterator>

class PlaylistEditFixture : public MainWinFixture {
protected:
    // Clips in slots 0 to 5, 25 frames each; slot 4 is PARIS, slot 2
    // SEA, the others have no name.
    CMainWin& StartWith(const std::vector<TaggedPlaylist>& playlists)
    {
        std::vector<TaggedClip> clips;
        for (int slot = 0; slot < 6; ++slot)
            clips.push_back({slot, 25 * slot, 25, slot, slot == 4 ? "PARIS" : slot == 2 ? "SEA" : "",
                             convfix::Rgb{static_cast<std::uint8_t>(slot * 40), static_cast<std::uint8_t>(200 - slot * 30), 100}});
        card = CardWith("edit.img", clips, playlists);
        NameImages({card});
        CMainWin& w = Start();
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }

    // The card's tables as a fresh opening reads them.
    std::unique_ptr<CDisk> Reopen() const { return ReadCard(card); }
    // The FAT area bytes in the image file.
    std::vector<std::uint8_t> FatOnCard() const
    {
        std::ifstream in(card, std::ios::binary);
        std::vector<std::uint8_t> bytes(kFatSize);
        in.read(reinterpret_cast<char*>(bytes.data()), kFatSize);
        return bytes;
    }
    static std::vector<int> EntrySlots(const Playlist& p)
    {
        std::vector<int> result;
        for (const PlaylistEntry& e : p.entries)
            result.push_back(e.slot);
        return result;
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

    std::string card;
};
