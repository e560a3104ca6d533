// A main window on a card image of six clips for the playlist editing
// tests: playlists and logo modes of the test's choice, the window shown so
// that items have places on the screen, the card image read back by a
// second opening.
#pragma once
#include "DropHighlight.h"
#include "DvFrame.h"
#include "MainWinFixture.h"

#include <QLabel>
#include <QTest>

#include <fstream>
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

    std::string card;
};
