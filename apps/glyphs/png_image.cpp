#include "png_image.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vorlix::glyphtool {
namespace {

// libpng reports errors by longjmp; the functions that call it hold only trivial locals so
// that no destructor is skipped, and the message lands here.
struct PngErrorText {
    char text[256] = {};
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
    auto* sink = static_cast<PngErrorText*>(png_get_error_ptr(png));
    if (sink != nullptr) std::snprintf(sink->text, sizeof sink->text, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

struct ReadSession {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngErrorText error;

    ~ReadSession() {
        if (png != nullptr) png_destroy_read_struct(&png, &info, nullptr);
        if (file != nullptr) std::fclose(file);
    }
};

struct WriteSession {
    std::FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngErrorText error;

    ~WriteSession() {
        if (png != nullptr) png_destroy_write_struct(&png, &info);
        if (file != nullptr) std::fclose(file);
    }
};

// Reads the header and sets every transform that yields 8-bit RGBA rows.
bool ReadPngHeader(ReadSession& s, png_uint_32& width, png_uint_32& height) {
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_init_io(s.png, s.file);
    png_set_sig_bytes(s.png, 8);
    png_set_user_limits(s.png, 1u << 20, 1u << 20);
    png_read_info(s.png, s.info);
    png_set_expand(s.png);
    png_set_scale_16(s.png);
    png_set_gray_to_rgb(s.png);
    png_set_add_alpha(s.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    width = png_get_image_width(s.png, s.info);
    height = png_get_image_height(s.png, s.info);
    return png_get_rowbytes(s.png, s.info) == std::size_t{width} * 4;
}

bool ReadPngRows(ReadSession& s, png_bytepp rows) {
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_read_image(s.png, rows);
    png_read_end(s.png, s.info);
    return true;
}

bool WritePngRows(WriteSession& s, const Image& image, png_bytepp rows, png_textp text) {
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_init_io(s.png, s.file);
    png_set_compression_level(s.png, 9);
    png_set_IHDR(s.png, s.info, image.width, image.height, 8,
                 image.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (text != nullptr) png_set_text(s.png, s.info, text, 1);
    png_write_info(s.png, s.info);
    png_write_image(s.png, rows);
    png_write_end(s.png, s.info);
    return true;
}

std::vector<png_bytep> RowPointers(std::vector<std::uint8_t>& pixels, std::size_t height,
                                   std::size_t stride) {
    std::vector<png_bytep> rows(height);
    for (std::size_t y = 0; y < height; ++y) rows[y] = pixels.data() + y * stride;
    return rows;
}

void TakeMetadata(ReadSession& s, const std::string& key, Image& image) {
    png_textp text = nullptr;
    int count = 0;
    png_get_text(s.png, s.info, &text, &count);
    for (int i = 0; i < count; ++i) {
        if (text[i].key == nullptr || key != text[i].key || text[i].text == nullptr) continue;
        image.metadataKey = key;
        image.metadata.assign(text[i].text, text[i].text_length);
        return;
    }
}

std::string Reason(const PngErrorText& error) {
    return error.text[0] != '\0' ? std::string(error.text) : std::string("libpng failure");
}

}  // namespace

bool ReadPngImage(const std::string& path, const std::string& metadataKey, Image& image,
                  std::string& error) {
    ReadSession s;
    s.file = std::fopen(path.c_str(), "rb");
    if (s.file == nullptr) {
        error = path + ": cannot open for reading";
        return false;
    }
    png_byte signature[8] = {};
    if (std::fread(signature, 1, 8, s.file) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        error = path + ": not a PNG file";
        return false;
    }
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s.error, OnPngError, OnPngWarning);
    if (s.png != nullptr) s.info = png_create_info_struct(s.png);
    if (s.info == nullptr) {
        error = path + ": out of memory";
        return false;
    }
    png_uint_32 width = 0, height = 0;
    if (!ReadPngHeader(s, width, height)) {
        error = path + ": bad PNG header: " + Reason(s.error);
        return false;
    }
    if (std::size_t{width} * height > MaxImagePixels) {
        error = path + ": image too large (" + std::to_string(width) + "x" +
                std::to_string(height) + ")";
        return false;
    }
    Image out;
    out.width = width;
    out.height = height;
    out.alpha = true;
    out.pixels.assign(std::size_t{width} * height * 4, 0);
    std::vector<png_bytep> rows = RowPointers(out.pixels, height, std::size_t{width} * 4);
    if (!ReadPngRows(s, rows.data())) {
        error = path + ": bad PNG data: " + Reason(s.error);
        return false;
    }
    TakeMetadata(s, metadataKey, out);
    image = std::move(out);
    return true;
}

bool WritePngImage(const std::string& path, const Image& image, std::string& error) {
    const std::size_t stride = std::size_t{image.width} * image.Channels();
    if (image.width == 0 || image.height == 0 || image.pixels.size() != stride * image.height) {
        error = path + ": empty or inconsistent image";
        return false;
    }
    const std::string temp = path + ".part";
    std::vector<std::uint8_t> pixels(image.pixels);
    std::vector<png_bytep> rows = RowPointers(pixels, image.height, stride);
    std::string key(image.metadataKey), value(image.metadata);
    png_text text{};
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = key.data();
    text.text = value.data();
    text.text_length = value.size();
    bool written = false;
    {
        WriteSession s;
        s.file = std::fopen(temp.c_str(), "wb");
        if (s.file == nullptr) {
            error = path + ": cannot open for writing";
            return false;
        }
        s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s.error, OnPngError, OnPngWarning);
        if (s.png != nullptr) s.info = png_create_info_struct(s.png);
        if (s.info != nullptr)
            written = WritePngRows(s, image, rows.data(), key.empty() ? nullptr : &text);
        if (!written) error = path + ": cannot write PNG: " + Reason(s.error);
        std::FILE* file = s.file;
        s.file = nullptr;
        if (std::fclose(file) != 0 && written) {
            written = false;
            error = path + ": write error";
        }
    }
    std::error_code ec;
    if (written) std::filesystem::rename(temp, path, ec);
    if (written && !ec) return true;
    if (ec) error = path + ": cannot replace the file (" + ec.message() + ")";
    std::remove(temp.c_str());
    return false;
}

}  // namespace vorlix::glyphtool
