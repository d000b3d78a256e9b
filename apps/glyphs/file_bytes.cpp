#include "file_bytes.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vorlix::glyphtool {

bool ReadFileBytes(const std::string& path, std::size_t limit, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        error = path + ": is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open for reading";
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || !in) {
        error = path + ": cannot determine the file size";
        return false;
    }
    if (static_cast<std::uintmax_t>(size) > limit) {
        error = path + ": file too large (" + std::to_string(size) + " bytes, at most " +
                std::to_string(limit) + ")";
        return false;
    }
    bytes.assign(static_cast<std::size_t>(size), 0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        error = path + ": read error";
        return false;
    }
    return true;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string& error) {
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = path + ": cannot open for writing";
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            error = path + ": write error";
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::remove(temp.c_str());
        error = path + ": cannot replace the file (" + ec.message() + ")";
        return false;
    }
    return true;
}

}  // namespace vorlix::glyphtool
