// Reads through a binary stream without sharing restrictions, on Windows and on the host alike.
// libstdc++ turns a failed read into badbit, while the end of the file sets only eofbit and
// failbit: that tells the two apart.
#include "workdir/FileChecksum.h"

#include <exception>
#include <fstream>
#include <vector>

#include "payload/Crc32c.h"

std::optional<std::uint32_t> ComputeFileChecksum(const std::filesystem::path& path) {
    constexpr std::size_t PieceSize = 65536;
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in.is_open() || in.fail()) {
            return std::nullopt;
        }
        std::vector<char> buffer(PieceSize);
        std::uint32_t checksum = 0;
        for (;;) {
            in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            checksum = Crc32c(checksum, buffer.data(), static_cast<std::size_t>(in.gcount()));
            if (in.bad()) {
                return std::nullopt;
            }
            if (in.fail()) {
                return checksum;
            }
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
