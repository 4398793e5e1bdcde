// A JPEG file made with libjpeg-turbo's encoder (baseline, 4:2:0), for the benchmarks.
#pragma once

// jpeglib.h uses size_t and FILE without including their headers.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <cstdlib>
#include <vector>

#include "player/core/Media.h"

namespace vornal::bench {

inline std::vector<Byte> encodeJpeg(const Bitmap& picture, int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(picture.width);
    info.image_height = static_cast<JDIMENSION>(picture.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(picture.width) * 3);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t rgb = picture.at(x, y);
            row[3 * x] = static_cast<JSAMPLE>(rgb >> 16);
            row[3 * x + 1] = static_cast<JSAMPLE>(rgb >> 8);
            row[3 * x + 2] = static_cast<JSAMPLE>(rgb);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<Byte> file(out, out + size);
    std::free(out);
    return file;
}

// Gradients with one soft diagonal.
inline Bitmap smoothPicture(int width, int height) {
    Bitmap b;
    b.width = width;
    b.height = height;
    b.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t r = static_cast<std::uint32_t>(x * 255 / (width - 1));
            const std::uint32_t g = static_cast<std::uint32_t>(y * 255 / (height - 1));
            const std::uint32_t blue = static_cast<std::uint32_t>((x + y) * 255 / (width + height));
            b.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)] = r << 16 | g << 8 | blue;
        }
    }
    return b;
}

}  // namespace vornal::bench
