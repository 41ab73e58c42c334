// The pages next to the current one, decoded ahead so that a strip press shows its page in its frame.
#pragma once

#include <string>
#include <vector>

#include "context/viewer.h"

// The files to have decoded ahead, most wanted first: an arriving sharp layer, a saved sheet waiting to
// be loaded, the page the lit strip would turn to, then the other neighbour; while a document is
// converted and its page 1 not shown yet, page 1. No page while the page-file worker runs (the strips
// turn no page then, and it replaces the files).
std::vector<std::string> neighbourPageFiles(const Viewer& v);
// Frame step, after the flip: hands the wish to the media layer's prefetch.
void prefetchNeighbourPages(const Viewer& v);
