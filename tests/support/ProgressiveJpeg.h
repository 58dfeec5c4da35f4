#pragma once

// JPEG images written by libjpeg in many progressive scans, as hostile files are: a decoder keeps
// every coefficient of the image from the first scan to the last and passes over all of them at
// each scan, so a small file can cost seconds and hundreds of MB to decode.

#include "tests/support/JpegWriting.h"

#include <QImage>

#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <string>
#include <vector>

namespace progressive_jpeg {

// A scan script of `scans` scans, from 570 to 759: the DC coefficients of each component, then
// each of the 63 AC coefficients of each component alone, refined bit by bit after its first
// scan, three bits at first for the first `scans` - 570 of them and two for the rest.
inline std::vector<jpeg_scan_info> Script(int scans) {
    std::vector<jpeg_scan_info> script;
    for (int c = 0; c < 3; ++c) {
        jpeg_scan_info dc{};
        dc.comps_in_scan = 1;
        dc.component_index[0] = c;
        script.push_back(dc);
    }
    int deeper = scans - 570;
    for (int c = 0; c < 3; ++c) {
        for (int k = 1; k <= 63; ++k) {
            jpeg_scan_info ac{};
            ac.comps_in_scan = 1;
            ac.component_index[0] = c;
            ac.Ss = ac.Se = k;
            ac.Al = deeper-- > 0 ? 3 : 2;
            script.push_back(ac);
            for (int bit = ac.Al; bit > 0; --bit) {
                ac.Ah = bit;
                ac.Al = bit - 1;
                script.push_back(ac);
            }
        }
    }
    return script;
}

// `side` x `side` pixels of gradients, each component at full resolution, in `scans` scans (570
// to 759), or in libjpeg's own progression of ten scans when `scans` is 0; with arithmetic
// coding when `arithmetic` (about twice as slow to decode, a third as slow to write).
inline std::string Encoded(int side, int scans, bool arithmetic = false) {
    const std::vector<jpeg_scan_info> script =
        scans > 0 ? Script(scans) : std::vector<jpeg_scan_info>();
    const auto setUp = [&](jpeg_compress_struct& info) {
        info.arith_code = arithmetic ? TRUE : FALSE;
        FullColourResolution(info);
        if (scans > 0) {
            info.scan_info = script.data();
            info.num_scans = static_cast<int>(script.size());
        } else {
            jpeg_simple_progression(&info);
        }
    };
    return WrittenJpeg(side, side, setUp, [side](int y, unsigned char* row) {
        for (int x = 0; x < side; ++x) {
            row[3 * static_cast<size_t>(x)] = static_cast<unsigned char>(x * 255 / side);
            row[3 * static_cast<size_t>(x) + 1] = static_cast<unsigned char>(y * 255 / side);
            row[3 * static_cast<size_t>(x) + 2] =
                static_cast<unsigned char>((x * 7 + y * 13) & 255);
        }
    });
}

} // namespace progressive_jpeg
