#include "app/jpeg_picture.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h expects FILE and size_t to be declared
#include <limits>
#include <string>

#include <jpeglib.h>

namespace wallcine::app {
namespace {

// libjpeg reports a fatal error through error_exit, which must not return (its default ends the
// process). Ours keeps the message and jumps back to the guarded step that was running.
struct ErrorManager {
    jpeg_error_mgr base;  // first member: libjpeg's pointer to it is a pointer to the whole
    std::jmp_buf return_point;
    char message[JMSG_LENGTH_MAX];
};

void JumpBackWithMessage(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->return_point, 1);
}

// Warnings (a picture cut short, say) leave a usable picture; a GUI program has no console.
void PrintNothing(j_common_ptr) {}

// One decompression session, destroyed with the object however the decode ended.
class DecodeSession {
public:
    DecodeSession() noexcept {
        decoder_.err = jpeg_std_error(&errors_.base);
        errors_.base.error_exit = JumpBackWithMessage;
        errors_.base.output_message = PrintNothing;
        errors_.message[0] = '\0';
    }
    // Safe after a failed or missing create: libjpeg frees only what it allocated.
    ~DecodeSession() { jpeg_destroy_decompress(&decoder_); }
    DecodeSession(const DecodeSession&) = delete;
    DecodeSession& operator=(const DecodeSession&) = delete;

    // Runs `step` on the decoder and raises EPictureError when libjpeg gave up inside it. The
    // steps are lambdas over plain pointers and numbers, so the jump back out of libjpeg skips
    // no destructor.
    template <class Step>
    void Run(Step step) {
        if (!RunGuarded(step)) throw EPictureError(std::string("Cannot decode the picture: ") + errors_.message);
    }

private:
    template <class Step>
    bool RunGuarded(Step& step) noexcept {
        if (setjmp(errors_.return_point)) return false;
        step(decoder_);
        return true;
    }

    ErrorManager errors_{};
    jpeg_decompress_struct decoder_{};
};

win::unique_hbitmap CreateTopDownDib24(int width, int height, void*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: the first row is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    win::unique_hbitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        throw EPictureError("Cannot decode the picture: no memory for " + std::to_string(width) + " x " +
                            std::to_string(height) + " pixels");
    ::GdiFlush();
    return bitmap;
}

}  // namespace

DecodedPicture DecodeJpeg(std::span<const unsigned char> data) {
    if (data.empty()) throw EPictureError("Cannot decode the picture: no data");
    if (data.size() > std::numeric_limits<unsigned long>::max())
        throw EPictureError("Cannot decode the picture: too large");
    const unsigned char* const bytes = data.data();
    const auto size = static_cast<unsigned long>(data.size());

    DecodeSession session;
    // The header, then the output straight in the DIB's blue-green-red byte order (grey
    // pictures are widened to it too).
    JDIMENSION width = 0, height = 0;
    session.Run([bytes, size, &width, &height](jpeg_decompress_struct& decoder) {
        jpeg_create_decompress(&decoder);
        jpeg_mem_src(&decoder, bytes, size);
        jpeg_read_header(&decoder, TRUE);
        decoder.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&decoder);
        width = decoder.output_width;
        height = decoder.output_height;
    });
    constexpr JDIMENSION kLargestSide = 1 << 15;
    if (width == 0 || height == 0 || width > kLargestSide || height > kLargestSide)
        throw EPictureError("Cannot decode the picture: unsupported size");

    DecodedPicture picture;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    void* bits = nullptr;
    picture.bitmap = CreateTopDownDib24(picture.width, picture.height, bits);
    // DIB rows are padded to whole 32-bit words.
    const std::size_t stride = (std::size_t{width} * 3 + 3) & ~std::size_t{3};
    auto* const first_row = static_cast<unsigned char*>(bits);
    session.Run([first_row, stride](jpeg_decompress_struct& decoder) {
        while (decoder.output_scanline < decoder.output_height) {
            JSAMPROW row = first_row + std::size_t{decoder.output_scanline} * stride;
            // A memory source never suspends; no row means no progress, and finishing reports it.
            if (jpeg_read_scanlines(&decoder, &row, 1) == 0) break;
        }
        jpeg_finish_decompress(&decoder);
    });
    return picture;
}

}  // namespace wallcine::app
