// The exit codes of nimbrel-pack, which every command returns.
#pragma once

namespace PackExit {
inline constexpr int Ok = 0;
inline constexpr int Rejected = 1;  // the folder cannot be packed, or the payload is corrupt
inline constexpr int Usage = 2;     // bad command line, or a file that cannot be read or written
}  // namespace PackExit
