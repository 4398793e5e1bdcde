// JPEG through libjpeg-turbo: full size, floating-point inverse DCT, block smoothing, RGB
// scanlines. The library reports errors by calling back into us and never returning, so
// the error handler leaves with longjmp. Both functions that hold a setjmp point own no
// object with a destructor: everything lives in decodeJpeg's frame above them, and the
// jump only skips the library's C frames.
// jpeglib.h uses size_t and FILE without including their headers.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <csetjmp>
#include <memory>
#include <string>

#include "player/media/PictureFiles.h"

namespace vornal {

namespace {

// A progressive file may hold any number of scans, each one a pass over the whole
// picture; real encoders write about ten.
constexpr int kMaxScans = 500;

struct ErrorManager {
    jpeg_error_mgr library;  // first, so that the library's pointer is ours too
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void onError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (a file cut short, extra bytes) are not printed: the picture is shown as far
// as it could be read, as the library's default handling does.
extern "C" void onOutputMessage(j_common_ptr) {}

extern "C" void onProgress(j_common_ptr info) {
    const auto* decoder = reinterpret_cast<j_decompress_ptr>(info);
    if (decoder->input_scan_number > kMaxScans) {
        auto* errors = reinterpret_cast<ErrorManager*>(info->err);
        std::snprintf(errors->message, sizeof errors->message, "more than %d scans", kMaxScans);
        std::longjmp(errors->jump, 1);
    }
}

struct Decoder {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    jpeg_progress_mgr progress{};
    bool created = false;

    Decoder() {
        info.err = jpeg_std_error(&errors.library);
        errors.library.error_exit = onError;
        errors.library.output_message = onOutputMessage;
        progress.progress_monitor = onProgress;
    }
    ~Decoder() {
        if (created) jpeg_destroy_decompress(&info);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
};

// Reads the header and sets the decoding up. False after a library error.
bool readHeader(Decoder& d, std::span<const Byte> data) {
    if (setjmp(d.errors.jump)) return false;
    jpeg_create_decompress(&d.info);
    d.created = true;
    d.info.progress = &d.progress;
    jpeg_mem_src(&d.info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&d.info, TRUE);
    d.info.scale_num = 1;
    d.info.scale_denom = 1;
    d.info.dct_method = JDCT_FLOAT;
    d.info.do_block_smoothing = TRUE;
    d.info.out_color_space = JCS_RGB;
    d.info.quantize_colors = FALSE;
    return true;
}

// Decodes into `pixels` (width * height, allocated by the caller) through `row`
// (width * 3). False after a library error; the rows read so far stay.
bool readPixels(Decoder& d, std::uint32_t* pixels, JSAMPLE* row) {
    if (setjmp(d.errors.jump)) return false;
    jpeg_start_decompress(&d.info);
    if (d.info.output_width != d.info.image_width || d.info.output_height != d.info.image_height ||
        d.info.output_components != 3) {
        std::snprintf(d.errors.message, sizeof d.errors.message, "unexpected output format");
        return false;
    }
    const std::size_t width = d.info.output_width;
    while (d.info.output_scanline < d.info.output_height) {
        std::uint32_t* out = pixels + static_cast<std::size_t>(d.info.output_scanline) * width;
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&d.info, rows, 1) != 1) {
            std::snprintf(d.errors.message, sizeof d.errors.message, "no scanline");
            return false;
        }
        for (std::size_t x = 0; x < width; ++x) {
            out[x] = std::uint32_t{row[3 * x]} << 16 | std::uint32_t{row[3 * x + 1]} << 8 |
                     std::uint32_t{row[3 * x + 2]};
        }
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

}  // namespace

Bitmap decodeJpeg(std::span<const Byte> data, const PictureLimits& limits) {
    auto decoder = std::make_unique<Decoder>();
    Decoder& d = *decoder;
    const auto failed = [&] {
        return PictureError(std::string("damaged JPEG: ") + d.errors.message);
    };
    if (!readHeader(d, data)) throw failed();
    limits.check(d.info.image_width, d.info.image_height);
    Bitmap bitmap;
    bitmap.width = static_cast<int>(d.info.image_width);
    bitmap.height = static_cast<int>(d.info.image_height);
    bitmap.pixels.resize(static_cast<std::size_t>(bitmap.width) *
                         static_cast<std::size_t>(bitmap.height));
    std::vector<JSAMPLE> row(static_cast<std::size_t>(bitmap.width) * 3);
    if (!readPixels(d, bitmap.pixels.data(), row.data())) throw failed();
    return bitmap;
}

}  // namespace vornal
