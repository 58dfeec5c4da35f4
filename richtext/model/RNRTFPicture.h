#pragma once

// Pictures between RTF and the graphics of this program: what the reader makes of a
// picture's bytes, and the hexadecimal picture bodies the writer puts out.

#include <memory>
#include <string>
#include <string_view>

class TGraphic;
class TRNRTFPicture;
class TStream;

// The picture as a graphic, or null for a kind this program cannot show (Macintosh and
// Presentation Manager pictures, device-dependent bitmaps). Raises when the bytes are not a
// picture of their kind ("Invalid metafile" for a Windows metafile).
std::unique_ptr<TGraphic> RTFPictureToGraphic(TRNRTFPicture& picture);

// A bitmap's packed form (the file without its 14-byte header) with the bit offset the file
// header needs, or 0 when the info header cannot be read.
size_t DibBitsOffset(std::string_view dib);

// Bytes as lower-case hexadecimal digits, as RTF carries picture data.
void WriteRTFHex(TStream& stream, std::string_view bytes);
