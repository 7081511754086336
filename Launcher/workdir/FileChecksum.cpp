// Reads through a binary stream without sharing restrictions, on Windows and on the host alike.
// libstdc++ turns a failed read into badbit, while the end of the file sets only eofbit and
// failbit: that tells the two apart.
#include "Launcher/workdir/FileChecksum.h"

#include <exception>
#include <fstream>
#include <vector>

#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/PayloadFormat.h"

std::optional<std::uint32_t> ComputeStreamChecksum(std::istream& in) {
    try {
        std::vector<char> buffer(PayloadFormat::ChecksumPieceSize);
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

std::optional<std::uint32_t> ComputeFileChecksum(const std::filesystem::path& path) {
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in.is_open() || in.fail()) {
            return std::nullopt;
        }
        return ComputeStreamChecksum(in);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
