#pragma once
// Writes frames of palette indices as one looping animated GIF. After the first frame each
// frame holds only the rectangle that changed, with unchanged pixels transparent, so the
// mostly still picture between two steps of the streams costs little.
#include <cstdint>
#include <string>
#include <vector>

#include "rain_palette.h"

struct GifFileType;

namespace vorlix::record {

class GifWriter {
  public:
    GifWriter() = default;
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // False with a reason when the file cannot be started.
    bool Open(const std::string& path, std::int32_t width, std::int32_t height,
              const RainPalette& palette, std::string& error);
    // indices: width * height palette indices, rows top to bottom. delay in 1/100 s.
    bool AddFrame(const std::uint8_t* indices, int delay, std::string& error);
    bool Close(std::string& error);
    int Frames() const { return frames_; }

  private:
    bool PutRectangle(const std::uint8_t* indices, std::int32_t left, std::int32_t top,
                      std::int32_t right, std::int32_t bottom, bool transparent);

    GifFileType* gif_ = nullptr;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint8_t> previous_;
    std::vector<std::uint8_t> row_;
    int frames_ = 0;
};

}  // namespace vorlix::record
