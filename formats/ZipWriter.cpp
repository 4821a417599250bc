#include "formats/ZipWriter.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace kmx {
namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kDescriptorSignature = 0x08074b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint16_t kZip64Tag = 0x0001;
constexpr std::uint16_t kTimestampTag = 0x5455;
// Bit 3: sizes and CRC follow the data; bit 11: the name is UTF-8.
constexpr std::uint16_t kFlags = (1u << 3) | (1u << 11);
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kVersionDeflate = 20;
constexpr std::uint16_t kVersionZip64 = 45;
constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
constexpr std::uint16_t kMax16 = 0xFFFFu;
// Deflate can grow incompressible data a little: an entry whose data comes
// this close to 4 GiB gets Zip64 sizes in its data descriptor.
constexpr std::uint64_t kZip64Threshold = 0xFF000000u;
constexpr std::size_t kOutputChunk = 256 * 1024;
// What one thread deflates at a time; each block is primed with the window
// deflate would have had, so cutting costs only a few bytes per block.
constexpr std::size_t kBlockSize = 256 * 1024;
constexpr std::size_t kWindow = 32 * 1024;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, static_cast<std::uint16_t>(value));
    Put16(out, static_cast<std::uint16_t>(value >> 16));
}
void Put64(std::vector<std::uint8_t>& out, std::uint64_t value) {
    Put32(out, static_cast<std::uint32_t>(value));
    Put32(out, static_cast<std::uint32_t>(value >> 32));
}
std::uint32_t Clamp32(std::uint64_t value) {
    return value >= kMax32 ? kMax32 : static_cast<std::uint32_t>(value);
}

// DOS dates run from 1980 to 2107 in two-second steps.
void PutDosTime(std::vector<std::uint8_t>& out, const ZipTime& time) {
    int year = time.year, month = time.month, day = time.day;
    int hour = time.hour, minute = time.minute, second = time.second;
    if (year < 1980) year = 1980, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    if (year > 2107) year = 2107, month = 12, day = 31, hour = 23, minute = 59, second = 58;
    Put16(out, static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2)));
    Put16(out, static_cast<std::uint16_t>(((year - 1980) << 9) | (month << 5) | day));
}

// The extended timestamp: the modification time only, in local and central
// headers alike.
void PutTimestamp(std::vector<std::uint8_t>& out, const ZipTime& time) {
    const std::int64_t seconds = std::clamp<std::int64_t>(time.unixSeconds, INT32_MIN, INT32_MAX);
    Put16(out, kTimestampTag);
    Put16(out, 5);
    out.push_back(1);
    Put32(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(seconds)));
}

}  // namespace

// One block of an entry's data. The writer's thread fills `input` and reads
// the results once `done`; a worker owns the rest in between.
struct ZipWriter::Block {
    std::string input;
    std::string data;                 // after the transform: what is deflated and counted
    std::shared_ptr<Block> previous;  // whose data ends in this block's window
    std::shared_ptr<const ZipTransform> transform;
    bool last = false;
    std::string output;
    std::uint32_t crc = 0;
    bool ok = true;
    // Guarded by the pool's mutex.
    bool transformed = false, done = false, cancelled = false;
};

struct ZipWriter::Pool {
    int level;
    std::mutex mutex;
    std::condition_variable work, progress;
    std::deque<std::shared_ptr<Block>> queue;  // not yet taken by a worker
    bool stopping = false;
    std::vector<std::thread> threads;
    // The writer's thread only.
    std::deque<std::shared_ptr<Block>> inFlight;  // in order, not yet written
    std::shared_ptr<Block> previous;
    std::shared_ptr<const ZipTransform> transform;
    std::string pending;
    std::size_t limit;

    // The last block of an entry is deflated by the writer's own thread,
    // which would only wait otherwise: a small entry costs no hand-over.
    z_stream own{};
    bool ownReady;

    Pool(int deflateLevel, unsigned count) : level(deflateLevel), limit(2 * count) {
        ownReady = deflateInit2(&own, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        for (unsigned i = 0; i < count; ++i) threads.emplace_back([this] { Run(); });
    }
    ~Pool() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        work.notify_all();
        for (std::thread& thread : threads) thread.join();
        if (ownReady) deflateEnd(&own);
    }

    void Run() {
        z_stream stream{};
        const bool ready =
            deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        for (;;) {
            std::shared_ptr<Block> block;
            {
                std::unique_lock<std::mutex> lock(mutex);
                work.wait(lock, [this] { return stopping || !queue.empty(); });
                if (queue.empty()) break;
                block = std::move(queue.front());
                queue.pop_front();
            }
            Compress(*block, stream, ready);
        }
        if (ready) deflateEnd(&stream);
    }

    void Finished(Block& block, bool transformedOnly) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            block.transformed = true;
            block.done = !transformedOnly;
        }
        progress.notify_all();
    }

    void Compress(Block& block, z_stream& stream, bool ready) {
        bool cancelled;
        {
            std::lock_guard<std::mutex> lock(mutex);
            cancelled = block.cancelled;
        }
        if (cancelled || !ready) {
            block.ok = false;
            block.previous.reset();
            return Finished(block, false);
        }
        try {
            if (block.transform && !block.input.empty())
                block.transform->apply(block.input, block.data);
            else
                block.data.swap(block.input);
        } catch (...) {
            block.ok = false;
        }
        std::string().swap(block.input);
        Finished(block, true);
        if (block.previous) {
            // The block before may still be in its transform; its data is
            // not touched again once it is marked transformed.
            std::unique_lock<std::mutex> lock(mutex);
            progress.wait(lock, [&] { return block.previous->transformed; });
        }
        block.ok = block.ok && deflateReset(&stream) == Z_OK;
        if (block.ok && block.previous) {
            const std::string& before = block.previous->data;
            const std::size_t size = std::min(before.size(), kWindow);
            block.ok = deflateSetDictionary(
                           &stream, reinterpret_cast<const Bytef*>(before.data() + before.size() - size),
                           static_cast<uInt>(size)) == Z_OK;
        }
        block.previous.reset();
        if (block.ok) {
            const auto* in = reinterpret_cast<const Bytef*>(block.data.data());
            block.crc = static_cast<std::uint32_t>(crc32_z(crc32(0, nullptr, 0), in, block.data.size()));
            // A sync flush ends all but the last block on a byte boundary, so
            // that the next block's output simply follows.
            block.output.resize(deflateBound(&stream, static_cast<uLong>(block.data.size())) + 16);
            stream.next_in = const_cast<Bytef*>(in);
            stream.avail_in = static_cast<uInt>(block.data.size());
            const int flush = block.last ? Z_FINISH : Z_SYNC_FLUSH;
            std::size_t produced = 0;
            for (;;) {
                stream.next_out = reinterpret_cast<Bytef*>(&block.output[produced]);
                stream.avail_out = static_cast<uInt>(block.output.size() - produced);
                const int result = deflate(&stream, flush);
                produced = block.output.size() - stream.avail_out;
                if (result == Z_STREAM_ERROR) {
                    block.ok = false;
                    break;
                }
                if (stream.avail_out != 0 && (flush != Z_FINISH || result == Z_STREAM_END)) break;
                block.output.resize(block.output.size() * 2);
            }
            block.output.resize(produced);
        }
        Finished(block, false);
    }
};

ZipWriter::ZipWriter(ZipSink& sink, int level, unsigned threads)
    : m_sink(sink), m_level(level), m_threads(threads) {
    if (m_threads == 0) m_threads = std::max(1u, std::thread::hardware_concurrency());
}

ZipWriter::~ZipWriter() {
    if (m_pool) Discard();
}

bool ZipWriter::Put(const void* data, std::size_t size) {
    if (m_failed) return false;
    if (size > 0 && !m_sink.Write(data, size)) {
        m_failed = true;
        return false;
    }
    m_offset += size;
    return true;
}

bool ZipWriter::BeginEntry(const std::string& utf8Name, const ZipTime& time, std::uint64_t sizeHint,
                           ZipTransform transform) {
    if (m_failed || m_inEntry || utf8Name.empty() || utf8Name.size() > kMax16) return false;
    if (!m_pool) m_pool.reset(new Pool(m_level, m_threads));
    m_pool->previous.reset();
    m_pool->pending.clear();
    m_pool->transform.reset();
    if (transform.apply) m_pool->transform = std::make_shared<const ZipTransform>(std::move(transform));
    m_current = Entry{};
    m_current.name = utf8Name;
    m_current.time = time;
    m_current.localOffset = m_offset;
    m_current.zip64Local = sizeHint >= kZip64Threshold;
    m_current.crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));

    std::vector<std::uint8_t> header;
    Put32(header, kLocalSignature);
    Put16(header, m_current.zip64Local ? kVersionZip64 : kVersionDeflate);
    Put16(header, kFlags);
    Put16(header, kDeflated);
    PutDosTime(header, time);
    Put32(header, 0);  // the CRC and the sizes are in the data descriptor
    Put32(header, m_current.zip64Local ? kMax32 : 0);
    Put32(header, m_current.zip64Local ? kMax32 : 0);
    Put16(header, static_cast<std::uint16_t>(utf8Name.size()));
    Put16(header, static_cast<std::uint16_t>(9 + (m_current.zip64Local ? 20 : 0)));
    header.insert(header.end(), utf8Name.begin(), utf8Name.end());
    PutTimestamp(header, time);
    if (m_current.zip64Local) {
        Put16(header, kZip64Tag);
        Put16(header, 16);
        Put64(header, 0);
        Put64(header, 0);
    }
    if (!Put(header.data(), header.size())) return false;
    m_inEntry = true;
    return true;
}

bool ZipWriter::Submit(bool last) {
    Pool& pool = *m_pool;
    std::size_t cut = pool.pending.size();
    if (!last && pool.transform && pool.transform->cut) {
        const std::size_t wanted = pool.transform->cut(pool.pending);
        if (wanted > 0 && wanted < cut) cut = wanted;
    }
    auto block = std::make_shared<Block>();
    if (cut == pool.pending.size()) {
        block->input.swap(pool.pending);
        pool.pending.reserve(kBlockSize);
    } else {
        block->input.assign(pool.pending, 0, cut);
        pool.pending.erase(0, cut);
    }
    block->previous = std::move(pool.previous);
    pool.previous = block;
    block->transform = pool.transform;
    block->last = last;
    if (last) {
        pool.Compress(*block, pool.own, pool.ownReady);
    } else {
        {
            std::lock_guard<std::mutex> lock(pool.mutex);
            pool.queue.push_back(block);
        }
        pool.work.notify_one();
    }
    pool.inFlight.push_back(std::move(block));
    return Drain(last ? 0 : pool.limit);
}

bool ZipWriter::Drain(std::size_t left) {
    Pool& pool = *m_pool;
    while (!pool.inFlight.empty()) {
        const std::shared_ptr<Block> block = pool.inFlight.front();
        {
            std::unique_lock<std::mutex> lock(pool.mutex);
            if (!block->done && pool.inFlight.size() <= left) break;
            pool.progress.wait(lock, [&] { return block->done; });
        }
        pool.inFlight.pop_front();
        if (!block->ok || !Put(block->output.data(), block->output.size())) {
            m_failed = true;
            Discard();
            return false;
        }
        m_current.crc = static_cast<std::uint32_t>(
            crc32_combine(m_current.crc, block->crc, static_cast<z_off_t>(block->data.size())));
        m_current.uncompressed += block->data.size();
        m_current.compressed += block->output.size();
    }
    return true;
}

void ZipWriter::Discard() {
    Pool& pool = *m_pool;
    {
        std::unique_lock<std::mutex> lock(pool.mutex);
        for (const std::shared_ptr<Block>& block : pool.inFlight) block->cancelled = true;
        for (const std::shared_ptr<Block>& block : pool.inFlight)
            pool.progress.wait(lock, [&] { return block->done; });
    }
    pool.inFlight.clear();
    pool.previous.reset();
    pool.transform.reset();
    std::string().swap(pool.pending);
}

bool ZipWriter::Write(const void* data, std::size_t size) {
    if (!m_inEntry || m_failed) return false;
    const auto* next = static_cast<const char*>(data);
    std::string& pending = m_pool->pending;
    while (size > 0) {
        const std::size_t part = std::min(size, kBlockSize - pending.size());
        pending.append(next, part);
        next += part, size -= part;
        if (pending.size() == kBlockSize && !Submit(false)) return false;
    }
    return true;
}

bool ZipWriter::EndEntry() {
    if (!m_inEntry || m_failed || !Submit(true)) return false;
    m_pool->transform.reset();
    const bool big = m_current.compressed > kMax32 - 1 || m_current.uncompressed > kMax32 - 1;
    if (big && !m_current.zip64Local) {
        // Its data descriptor cannot hold the sizes: the caller's hint was wrong.
        AbandonEntry();
        return false;
    }
    std::vector<std::uint8_t> descriptor;
    Put32(descriptor, kDescriptorSignature);
    Put32(descriptor, m_current.crc);
    if (m_current.zip64Local) {
        Put64(descriptor, m_current.compressed);
        Put64(descriptor, m_current.uncompressed);
    } else {
        Put32(descriptor, static_cast<std::uint32_t>(m_current.compressed));
        Put32(descriptor, static_cast<std::uint32_t>(m_current.uncompressed));
    }
    if (!Put(descriptor.data(), descriptor.size())) return false;
    m_entries.push_back(m_current);
    m_inEntry = false;
    return true;
}

bool ZipWriter::AbandonEntry() {
    if (!m_inEntry || m_failed) return false;
    Discard();
    m_inEntry = false;
    if (!m_sink.Truncate(m_current.localOffset)) {
        m_failed = true;
        return false;
    }
    m_offset = m_current.localOffset;
    return true;
}

void ZipWriter::WriteCentralEntry(std::vector<std::uint8_t>& out, const Entry& entry) const {
    std::vector<std::uint8_t> zip64;
    if (entry.uncompressed >= kMax32) Put64(zip64, entry.uncompressed);
    if (entry.compressed >= kMax32) Put64(zip64, entry.compressed);
    if (entry.localOffset >= kMax32) Put64(zip64, entry.localOffset);
    const bool usesZip64 = !zip64.empty() || entry.zip64Local;
    const std::uint16_t version = usesZip64 ? kVersionZip64 : kVersionDeflate;

    Put32(out, kCentralSignature);
    Put16(out, version);  // made by: MS-DOS attributes
    Put16(out, version);
    Put16(out, kFlags);
    Put16(out, kDeflated);
    PutDosTime(out, entry.time);
    Put32(out, entry.crc);
    Put32(out, Clamp32(entry.compressed));
    Put32(out, Clamp32(entry.uncompressed));
    Put16(out, static_cast<std::uint16_t>(entry.name.size()));
    Put16(out, static_cast<std::uint16_t>(9 + (zip64.empty() ? 0 : 4 + zip64.size())));
    Put16(out, 0);  // comment
    Put16(out, 0);  // disk
    Put16(out, 0);  // internal attributes
    Put32(out, 0);  // external attributes
    Put32(out, Clamp32(entry.localOffset));
    out.insert(out.end(), entry.name.begin(), entry.name.end());
    PutTimestamp(out, entry.time);
    if (!zip64.empty()) {
        Put16(out, kZip64Tag);
        Put16(out, static_cast<std::uint16_t>(zip64.size()));
        out.insert(out.end(), zip64.begin(), zip64.end());
    }
}

bool ZipWriter::Finish() {
    if (m_inEntry || m_failed) return false;
    const std::uint64_t directoryOffset = m_offset;
    std::vector<std::uint8_t> out;
    for (const Entry& entry : m_entries) {
        WriteCentralEntry(out, entry);
        if (out.size() >= kOutputChunk) {
            if (!Put(out.data(), out.size())) return false;
            out.clear();
        }
    }
    if (!Put(out.data(), out.size())) return false;
    out.clear();
    const std::uint64_t directorySize = m_offset - directoryOffset;
    const std::uint64_t count = m_entries.size();
    if (count >= kMax16 || directorySize >= kMax32 || directoryOffset >= kMax32) {
        const std::uint64_t recordOffset = m_offset;
        Put32(out, kZip64EndSignature);
        Put64(out, 44);
        Put16(out, kVersionZip64);
        Put16(out, kVersionZip64);
        Put32(out, 0);
        Put32(out, 0);
        Put64(out, count);
        Put64(out, count);
        Put64(out, directorySize);
        Put64(out, directoryOffset);
        Put32(out, kZip64LocatorSignature);
        Put32(out, 0);
        Put64(out, recordOffset);
        Put32(out, 1);
    }
    const std::uint16_t shortCount = count >= kMax16 ? kMax16 : static_cast<std::uint16_t>(count);
    Put32(out, kEndSignature);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, shortCount);
    Put16(out, shortCount);
    Put32(out, Clamp32(directorySize));
    Put32(out, Clamp32(directoryOffset));
    Put16(out, 0);
    return Put(out.data(), out.size());
}

}  // namespace kmx
