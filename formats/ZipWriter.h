// A zip archive written front to back into a sink: deflated entries with
// data descriptors, UTF-8 names, DOS times plus the extended timestamp, and
// Zip64 records where a size, an offset or the number of entries needs them.
// An entry's data is cut into blocks that a pool of threads deflates at once,
// each block primed with the end of the one before, the pieces joined into one
// deflate stream. Memory does not grow with the data: a few blocks are in
// flight at a time, plus one small record per entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kmx {

// Where the archive's bytes go. Truncate drops everything from `offset` on
// (an entry abandoned part-way); the writer only ever truncates back to the
// start of the entry it is writing.
class ZipSink {
public:
    virtual ~ZipSink() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
    virtual bool Truncate(std::uint64_t offset) = 0;
};

// A file's modification time: the DOS fields (local time, as Windows'
// Explorer and Info-ZIP write them) and the same instant in seconds since
// 1970 UTC for the extended timestamp.
struct ZipTime {
    int year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    std::int64_t unixSeconds = 315532800;
};

// Changes an entry's data on its way in; the archive holds (and its sizes and
// CRC describe) what comes out.
struct ZipTransform {
    // In the writer's thread, on a full block: how many leading bytes can be
    // changed apart from what follows (what `apply` looks for must not be
    // split); the rest waits for more data. 0 or the size: the whole block.
    std::function<std::size_t(std::string_view block)> cut;
    // In the deflating threads and the writer's, several at once: appends
    // what `piece` becomes.
    std::function<void(std::string_view piece, std::string& out)> apply;
};

class ZipWriter {
public:
    // level: zlib's deflate level, 0 to 9. threads: how many deflate at once,
    // 0 for one per processor.
    ZipWriter(ZipSink& sink, int level, unsigned threads = 0);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Starts an entry. sizeHint: the size the data is expected to have; an
    // entry that may pass 4 GiB gets Zip64 sizes from its local header on;
    // with a transform that lengthens the data, hint what it may grow to.
    bool BeginEntry(const std::string& utf8Name, const ZipTime& time, std::uint64_t sizeHint,
                    ZipTransform transform = {});
    bool Write(const void* data, std::size_t size);
    bool EndEntry();
    // Drops the entry being written, as if it had never been begun.
    bool AbandonEntry();
    // The central directory and the end records; nothing can be added after.
    bool Finish();

    std::uint64_t Offset() const { return m_offset; }

private:
    struct Entry {
        std::string name;
        ZipTime time;
        std::uint32_t crc = 0;
        std::uint64_t compressed = 0, uncompressed = 0, localOffset = 0;
        bool zip64Local = false;
    };
    struct Block;
    struct Pool;

    bool Put(const void* data, std::size_t size);
    // Hands the pending data (or its first cut) to the pool as one block.
    bool Submit(bool last);
    // Writes the blocks done at the front, waiting while more than `left` are in flight.
    bool Drain(std::size_t left);
    // Drops the blocks in flight once no thread works on them any more.
    void Discard();
    void WriteCentralEntry(std::vector<std::uint8_t>& out, const Entry& entry) const;

    ZipSink& m_sink;
    int m_level;
    unsigned m_threads;
    std::unique_ptr<Pool> m_pool;
    std::vector<Entry> m_entries;
    Entry m_current;
    bool m_inEntry = false;
    bool m_failed = false;
    std::uint64_t m_offset = 0;
};

}  // namespace kmx
