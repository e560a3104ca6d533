// Card image files for the window tests: unformatted ones, and formatted
// ones holding clips whose first cluster is a real DV frame (colour bars
// over a colour of the test's choice, so that thumbnails can be told
// apart), with playlists. Clusters after a clip's first stay zero; the
// files are sparse.
#pragma once
#include "ConvertFixtures.h"

#include <string>
#include <vector>

struct TestClip {
    int slot = 0;
    int frames = 100;
    std::string name;            // empty: a clip without a name
    convfix::Rgb bottom{0, 0, 200};
};

struct TestPlaylist {
    std::vector<int> entries; // clip slots, in order
    bool loop = false;
    std::vector<bool> autoTransitions; // per entry; missing ones are CUT
};

// Bytes of an image of `clusters` clusters.
long long CardImageBytes(int clusters);
// An image of zeros: it opens as a card, but its tables are not valid.
bool WriteBlankImage(const std::string& path, int clusters);
// A formatted image with `clips` placed one after another from cluster 0,
// and `playlists` as playlists 0, 1, ...
bool WriteCardImage(const std::string& path, int clusters, const std::vector<TestClip>& clips,
                    const std::vector<TestPlaylist>& playlists = {});
