// The playlist reader under libFuzzer. The input's first four bytes choose the entry
// number, the block size and how much of the entry is kept; the rest is the playlist.
// The entry is looked up in memory with each scan and through a file read in blocks
// shorter than, around and longer than the mask scan's 64-byte chunks, and every answer
// must agree with a plain byte-by-byte reading of the same rules.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/sim.h"
#include "track/line_reader.h"
#include "track/playlist.h"

namespace {

struct Lookup {
    bool found = false;
    std::size_t length = 0;
    std::string kept;
};

// The rules read one byte at a time: skip bytes of 32 and less (but Ctrl-Z, which ends
// the file), read to the carriage return, swallow one line feed after it, count lines
// that do not begin with "#".
Lookup Reference(const unsigned char* bytes, std::size_t size, std::int32_t count, std::size_t keep) {
    Lookup result;
    std::size_t i = 0;
    std::int32_t entries = 0;
    bool ended = false;
    std::string line;
    while (entries < count && !ended) {
        while (i < size && bytes[i] <= 32 && bytes[i] != 26) ++i;
        if (i >= size || bytes[i] == 26) break;
        line.clear();
        while (i < size && bytes[i] != 13 && bytes[i] != 26) line += static_cast<char>(bytes[i++]);
        if (i < size && bytes[i] == 26) {
            ended = true;
        } else if (i < size) {
            ++i;
            if (i < size && bytes[i] == 10) ++i;
        }
        if (line[0] != '#') {
            ++entries;
            if (entries == count) {
                result.length = line.size();
                result.kept = line.substr(0, keep - 1);
            }
        }
    }
    result.found = entries == count;
    return result;
}

Lookup Find(zel::LineReader& reader, std::int32_t count, std::size_t keep) {
    std::vector<char> out(keep, '\x55');
    Lookup result;
    result.found = zel::FindPlaylistEntry(reader, count, out.data(), keep, &result.length);
    const std::size_t kept = result.length < keep - 1 ? result.length : keep - 1;
    if (out[kept] != '\0') std::abort();  // the kept entry must end in a zero byte
    result.kept.assign(out.data(), kept);
    return result;
}

void Same(const Lookup& a, const Lookup& b, const char* what) {
    if (a.found == b.found && a.length == b.length && a.kept == b.kept) return;
    std::fprintf(stderr, "%s: found %d/%d length %zu/%zu kept %zu/%zu bytes\n", what, a.found,
                 b.found, a.length, b.length, a.kept.size(), b.kept.size());
    std::abort();
}

int PlaylistFile() {
    static const int fd = memfd_create("playlist", 0);
    if (fd < 0) std::abort();
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const auto count = static_cast<std::int32_t>(static_cast<std::int8_t>(data[0]));
    // 1 to 16 bytes, 48 to 174 bytes, or the real 64 KiB.
    const std::size_t block =
        data[1] == 255 ? 64 * 1024 : data[1] < 128 ? 1 + data[1] % 16 : 48 + (data[1] - 128);
    const std::size_t keep = 1 + (data[2] | data[3] << 8) % 1024;
    const unsigned char* bytes = data + 4;
    const std::size_t length = size - 4;

    const Lookup expected = Reference(bytes, length, count, keep);

    // The processor's scans, mask scan and popcnt on this machine, then each turned off.
    const zel::LineReader probe = zel::MemoryLineReader(bytes, length);
    if (!probe.vectorScan || !probe.countInstruction) std::abort();  // the fuzzer needs both
    for (int scan = 0; scan < 3; ++scan) {
        zel::LineReader memory = zel::MemoryLineReader(bytes, length);
        memory.vectorScan = scan != 2;
        memory.countInstruction = scan == 0;
        Same(Find(memory, count, keep), expected,
             scan == 0 ? "memory reader, masks+popcnt" : scan == 1 ? "memory reader, masks" : "memory reader, portable");
    }

    const int fd = PlaylistFile();
    if (ftruncate(fd, 0) != 0 || pwrite(fd, bytes, length, 0) != static_cast<ssize_t>(length)) {
        std::abort();
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    {
        zel::platform::ScopedFile file(zel::platform::OpenFileForReading(zel::sim::WidePath(path).c_str(), false));
        if (!file) std::abort();
        std::vector<unsigned char> buffer(block);
        zel::LineReader reader = zel::FileLineReader(file.get(), buffer.data(), block);
        reader.countInstruction = (data[3] & 0x80) != 0;  // both bit counts of the mask scan
        Same(Find(reader, count, keep), expected, "file reader");
    }
    if (zel::sim::OpenFiles() != 0) std::abort();
    zel::sim::Reset();  // drops the record of opens, which would grow run after run
    return 0;
}
