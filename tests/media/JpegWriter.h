// JPEG files made at test time with libjpeg-turbo's encoder, for the decoder's tests and
// benchmarks: baseline or progressive, colour or grayscale, 4:2:0 or 4:4:4.
#pragma once

// jpeglib.h uses size_t and FILE without including their headers.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <cstdlib>
#include <vector>

#include "player/core/Media.h"

namespace vornal::test {

struct JpegForm {
    bool progressive = false;
    bool gray = false;
    bool subsampled = true;  // 4:2:0; else 4:4:4
    int quality = 95;
};

inline std::vector<Byte> encodeJpeg(const Bitmap& picture, JpegForm form) {
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
    jpeg_set_quality(&info, form.quality, TRUE);
    if (form.gray) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
    if (!form.gray) {
        const int factor = form.subsampled ? 2 : 1;
        info.comp_info[0].h_samp_factor = factor;
        info.comp_info[0].v_samp_factor = factor;
    }
    if (form.progressive) jpeg_simple_progression(&info);
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

// A smooth picture that JPEG keeps close: gradients with one soft diagonal.
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

}  // namespace vornal::test
