// Page files: the converter's PNG made into the page's JPEG and its thumbnail from one decode, for
// the page-file worker. Any thread.
#pragma once

#include <string>

#include "media/pictures/pictures.h"

// Turns the converter's PNG into the page's JPEG (baseline, 3 components, quality quality0to10 * 10)
// and stores a thumbnail of thumbnailWidth x thumbnailHeight as image thumbnailImage, made from the
// same decoded pixels as a reduced-scale decode of that JPEG and a resize would make it. Nothing is
// written when the PNG cannot be read (not there yet, cut short). Deletes nothing.
struct PageConversion {
    bool pngRead = false;
    bool jpegWritten = false;
    bool thumbnailMade = false;
};
PageConversion convertPagePng(const std::string& png, const std::string& jpeg, int quality0to10,
                              int thumbnailImage, int thumbnailWidth, int thumbnailHeight);
// A page's thumbnail from its decoded pixels; empty for an invalid size.
media::Picture pageThumbnail(const media::RgbPicture& page, int width, int height);
