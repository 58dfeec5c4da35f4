#pragma once

// JPEG images written by libjpeg a row at a time, for the tests that build their own: the pixels
// are never all in memory.

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <jpeglib.h>
#include <string>
#include <vector>

// Every component at the resolution of the image (4:4:4), where libjpeg's defaults halve the
// colour's each way: set after jpeg_set_defaults, in `setUp`.
inline void FullColourResolution(jpeg_compress_struct& info) {
    for (int c = 0; c < info.num_components; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
}

// `width` x `height` RGB pixels at quality 90: `setUp` changes libjpeg's defaults as it needs,
// `fill` gives the three bytes of each pixel of row `y`.
inline std::string WrittenJpeg(int width, int height,
                               const std::function<void(jpeg_compress_struct&)>& setUp,
                               const std::function<void(int y, unsigned char* row)>& fill) {
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    if (setUp) {
        setUp(info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        fill(static_cast<int>(info.next_scanline), row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}
