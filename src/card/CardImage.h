// New card image files: a sparse file of the given size, created only where
// no file is (an existing image with clips, or any other file, is never
// overwritten). Both the window's New card image and `tessaro-card mkimage`
// make them here.
#pragma once
#include <string>

enum CardImageResult : int {
    kCardImageCreated = 0,
    kCardImageBadSize = 1,     // not a multiple of 512 bytes, or under one cluster
    kCardImageExists = 2,      // a file of that name is there: left alone
    kCardImageCannotCreate = 3 // the system refused (errno in `error`); nothing left behind
};

// The smallest card image: the table, one cluster and the spare sector.
long long SmallestCardImage();

// Creates the image file `path` of `bytes` bytes, all zero (a hole).
int CreateCardImageFile(const std::string& path, long long bytes, int& error);
