#include "tests/support/FileBytes.h"

#include <exception>
#include <fstream>
#include <iterator>
#include <stdexcept>

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
    WriteFileText(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

void WriteFileText(const std::filesystem::path& path, std::string_view text) {
    const std::filesystem::path folder = path.parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder)) {
        std::filesystem::create_directories(folder);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// libstdc++'s file buffer throws from a read that fails (a folder opened as a file on Linux).
std::optional<Bytes> ReadFileBytes(const std::filesystem::path& path) {
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            return std::nullopt;
        }
        return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string ReadFileText(const std::filesystem::path& path) {
    const Bytes bytes = ReadFileBytes(path).value_or(Bytes{});
    return {bytes.begin(), bytes.end()};
}
