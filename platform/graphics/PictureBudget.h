#pragma once

// The CPU time one picture's preparation may take grows with the work its file holds: a drawing
// of half a million records or a photo of 64 megapixels that its own program writes and draws is
// drawn, where one figure for every file left them frames. Whatever the file says of itself, no
// picture takes more than the ceiling: a hostile file is ended within it, one that holds little
// within the base.

#include <cstdint>

// The most CPU time any one picture's preparation may take, however much its file holds: below
// the time a print gives all its pictures together, so that one such picture leaves it room.
constexpr int64_t PictureCeilingMillis = 6000;

// The most working memory any one picture's decode may hold, however much its file says it needs:
// more than a photo of the most pixels a picture may have (MaxBitmapPixels) needs at full colour
// resolution in four components (537 MB, progressive). A file that says it needs more is refused
// before anything is decoded.
constexpr uint64_t PictureMemoryCeiling = uint64_t{768} << 20;
// What the decodes under way may hold together (DecodeMemory.h): two photos of 64 megapixels at
// full colour resolution side by side, or one at the ceiling; the rest wait their turn.
constexpr uint64_t DecodesMemoryBound = uint64_t{1} << 30;

// What an enhanced metafile's conversion and drawing may take together, for one of `records`
// records. Measured on a 10 MB drawing of 476,000 records written by a drawing program: 0.7 s to
// convert and 0.8 to 1.1 s to draw at the sizes a screen and a page show it (from 0.06 to 5.8
// megapixels: the size it is drawn at hardly counts), under the address checker on a loaded
// machine, about 3.5 microseconds a record all told.
int64_t EnhancedMetafileCpuMillis(uint64_t records);

// What a JPEG image's decode may take, for an image of `samples` samples of all its components
// (at whatever scale it is decoded: a progressive image is read whole before its first row at any
// scale). Measured on a loaded machine: a progressive photo of 64 megapixels in ten scans, its
// colour at half resolution each way (96 million samples, 26 MB), took 1.2 s at an eighth of its
// size, where most of it goes to reading every scan, and 1.8 s whole; at full colour resolution
// (192 million samples, 53 MB), 2.2 s and 2.6 s.
int64_t PhotoCpuMillis(uint64_t samples);
